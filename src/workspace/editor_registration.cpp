#include "workspace/editors.h"

#include "foundation/conn_str_dialog.h"

// One line per editor: each subsystem exposes how its editor is opened.
void RegisterAllEditors()
{
    RegisterEditor(Editor::ConnectionSettings, [](AppState&, QWidget* parent) {
        ConnStrDialog dialog(parent);
        dialog.exec();
    });
}
