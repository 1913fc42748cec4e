#pragma once

#include <functional>

class QWidget;
struct AppState;

// The modal editors the main window opens. Each editor registers how it is opened; a command
// whose editor is not registered does nothing.
enum class Editor {
    Project,
    Function,
    PriceKinds,
    Customers,
    Languages,
    Members,
    Items,
    MemberReplacement,
    Policy,
    About,
    ConnectionSettings,
};

using EditorOpener = std::function<void(AppState& state, QWidget* parent)>;

void RegisterEditor(Editor editor, EditorOpener opener);
bool IsEditorRegistered(Editor editor);
bool OpenEditor(Editor editor, AppState& state, QWidget* parent);

// Registers every editor of the program.
void RegisterAllEditors();
