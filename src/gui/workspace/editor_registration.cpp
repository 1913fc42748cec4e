#include "workspace/editors.h"

#include "common/wait_cursor.h"
#include "connection/conn_str_dialog.h"
#include "estimation/function_editor.h"
#include "estimation/member_replacement.h"
#include "masters/about_box.h"
#include "masters/master_editors.h"
#include "pricing/policy_dialog.h"
#include "pricing/price_kinds.h"
#include "project/project_editor.h"

#include <optional>

namespace {

// Whether an editor could load what it shows; the function editor reports a failed load here,
// the others in their own exec().
bool ready(const QDialog&)
{
    return true;
}

bool ready(const FunctionEditor& editor)
{
    return editor.isReady();
}

// An editor reads what it shows as it is built, under the hourglass, and is then run with the
// normal pointer.
template <typename Dialog> EditorOpener opener()
{
    return [](AppState& state, QWidget* parent) {
        std::optional<WaitCursor> loading(std::in_place);
        Dialog dialog(state, parent);
        loading.reset();
        if (ready(dialog)) {
            dialog.exec();
        }
    };
}

} // namespace

// One line per editor: each subsystem exposes how its editor is opened.
void RegisterAllEditors()
{
    RegisterEditor(Editor::ConnectionSettings, [](AppState&, QWidget* parent) {
        ConnStrDialog dialog(parent);
        dialog.exec();
    });
    RegisterEditor(Editor::About, [](AppState&, QWidget* parent) {
        AboutBox dialog(parent);
        dialog.exec();
    });
    RegisterEditor(Editor::PriceKinds, opener<PriceKindEditor>());
    RegisterEditor(Editor::Customers, opener<CustomerEditor>());
    RegisterEditor(Editor::Languages, opener<LanguageEditor>());
    RegisterEditor(Editor::Members, opener<MemberEditor>());
    RegisterEditor(Editor::Items, opener<ItemEditor>());
    RegisterEditor(Editor::MemberReplacement, opener<MemberReplacementDialog>());
    RegisterEditor(Editor::Project, opener<ProjectEditor>());
    RegisterEditor(Editor::Function, opener<FunctionEditor>());
    RegisterEditor(Editor::Policy, opener<PolicyDialog>());
}
