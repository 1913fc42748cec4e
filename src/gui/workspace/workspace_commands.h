#pragma once

#include <QObject>
#include <QStringList>

struct AppState;
enum class Editor;
class QWidget;
class WorkspacePanes;

// The commands of the main window's menus and toolbar. Each checks what it needs, opens its
// modal editor and afterwards reloads, from the shared flags the editor left, what the editor
// changed: the tree, the whole list or one row, the summary.
class WorkspaceCommands : public QObject {
    Q_OBJECT
public:
    // window: the owner of the actions, the editors and the messages.
    WorkspaceCommands(AppState& state, WorkspacePanes& panes, QWidget* window);

    // The actions of the commands, children of the window by their menu names; an action whose
    // editor is not part of the build is greyed out and does nothing. "mnuFileClose" is left
    // for the window to connect.
    void createActions();

    // The edit-function command, for a double click or Enter on a row of the list.
    void openSelectedFunction();

private:
    void newProject();
    void editProject();
    void newFunction();
    void editFunction();
    void editPriceKinds();
    void editPolicy();
    void replaceMembers();
    void openPlainEditor(Editor editor);
    void showHelpContents();
    void openHomePage();

    bool mastersExist(const QStringList& tables, const QStringList& names);
    bool readyForProject(Editor editor);

    AppState& m_state;
    WorkspacePanes& m_panes;
    QWidget* m_window;
};
