#pragma once

#include "calc/estimate_calc.h"

#include <QWidget>
#include <array>

class FunctionDraft;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
enum class Engine;

// The basics page of the function editor: the title and description, the five correction
// classes, the language and the on-hold switch.
class FunctionBasePage : public QWidget {
    Q_OBJECT
public:
    FunctionBasePage(FunctionDraft& draft, QWidget* parent = nullptr);

    // The loaded draft, shown.
    void showDraft();
    // For a save: the title is required (the message is shown)…
    bool checkTitle();
    // …and the texts must be storable.
    bool checkTexts(Engine engine);

private:
    FunctionDraft& m_draft;
    QLabel* m_titleLabel = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    std::array<QComboBox*, kCorrectionClasses> m_classes{};
    QComboBox* m_lang = nullptr;
    QCheckBox* m_reserve = nullptr;
};
