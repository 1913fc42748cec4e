#pragma once

#include <QDialog>

class DbConnection;
class QComboBox;
class QPushButton;
struct AppState;

enum class ReplacementResult { Replaced, NothingToReplace };

// Moves every assignment (TCHARGE) of one member of a project to another member of the same
// project, across all functions and processes. Where the new member already works on the same
// function and process, the hours are added to that row and the released member's row goes.
// Runs in one transaction on a private second connection; on any error it rolls back and the
// DbError propagates, so that either everything moved or nothing did. A member replaced by
// itself is nothing to do.
ReplacementResult ReplaceMember(DbConnection& connection, int project, int releasedMember, int newMember);

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
