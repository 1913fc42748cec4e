#include "workspace/editors.h"

#include "connection/conn_str_dialog.h"
#include "estimation/function_editor.h"
#include "estimation/member_replacement.h"
#include "masters/about_box.h"
#include "masters/master_editors.h"
#include "pricing/policy_dialog.h"
#include "pricing/price_kinds.h"
#include "project/project_editor.h"

// One line per editor: each subsystem exposes how its editor is opened.
void RegisterAllEditors()
{
    RegisterEditor(Editor::ConnectionSettings, [](AppState&, QWidget* parent) {
        ConnStrDialog dialog(parent);
        dialog.exec();
    });
    RegisterEditor(Editor::PriceKinds, [](AppState& s, QWidget* parent) {
        PriceKindEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::Customers, [](AppState& s, QWidget* parent) {
        CustomerEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::Languages, [](AppState& s, QWidget* parent) {
        LanguageEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::Members, [](AppState& s, QWidget* parent) {
        MemberEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::Items, [](AppState& s, QWidget* parent) {
        ItemEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::MemberReplacement, [](AppState& s, QWidget* parent) {
        MemberReplacementDialog d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::About, [](AppState&, QWidget* parent) {
        AboutBox d(parent);
        d.exec();
    });
    RegisterEditor(Editor::Project, [](AppState& s, QWidget* parent) {
        ProjectEditor d(s, parent);
        d.exec();
    });
    RegisterEditor(Editor::Function, [](AppState& s, QWidget* parent) {
        FunctionEditor dialog(s, parent);
        if (dialog.isReady()) {
            dialog.exec();
        }
    });
    RegisterEditor(Editor::Policy, [](AppState& s, QWidget* parent) {
        PolicyDialog d(s, parent);
        d.exec();
    });
}
