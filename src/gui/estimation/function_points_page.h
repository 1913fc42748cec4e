#pragma once

#include <QWidget>

class FunctionDraft;
class FunctionRepository;
class QComboBox;
class QLineEdit;
class QTreeWidgetItem;
class RowListPanel;
enum class Engine;

// The function-point page of the function editor: the rows of the draft in a list, and a row's
// title, element kind and complexity to add or update a row with.
class FunctionPointsPage : public QWidget {
    Q_OBJECT
public:
    FunctionPointsPage(FunctionDraft& draft, FunctionRepository& repository, Engine engine,
                       QWidget* parent = nullptr);

    // The loaded rows, listed afresh, and the entry fields on their first kind and on average.
    void showDraft();
    void editFpRow(int op); // 0 add, 1 update, 2 delete

private:
    void showRows();
    void rowClicked(QTreeWidgetItem* item);
    int chosenRow() const; // the id of the chosen row, 0 when none

    FunctionDraft& m_draft;
    FunctionRepository& m_repository;
    const Engine m_engine;
    QLineEdit* m_title = nullptr;
    QComboBox* m_kind = nullptr;
    QComboBox* m_complexity = nullptr;
    RowListPanel* m_panel = nullptr;
};
