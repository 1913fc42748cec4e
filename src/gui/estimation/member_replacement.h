#pragma once

#include "function/member_replacement.h"

#include <QDialog>

class QComboBox;
class QPushButton;
struct AppState;

// frmMembChg: replaces one member of the current project by another. A tool, not an editor: it
// opens centred on the main window and keeps no place of its own.
class MemberReplacementDialog : public QDialog {
    Q_OBJECT
public:
    explicit MemberReplacementDialog(AppState& state, QWidget* parent = nullptr);

    void execute(); // 実行

private:
    void loadMembers();

    AppState& m_state;
    QComboBox* m_source;
    QComboBox* m_target;
    QPushButton* m_ok;
};
