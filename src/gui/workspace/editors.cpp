#include "workspace/editors.h"

#include "common/wait_cursor.h"

#include <QHash>

namespace {

QHash<int, EditorOpener>& registry()
{
    static QHash<int, EditorOpener> openers;
    return openers;
}

} // namespace

void RegisterEditor(Editor editor, EditorOpener opener)
{
    registry().insert(static_cast<int>(editor), std::move(opener));
}

bool IsEditorRegistered(Editor editor)
{
    const auto it = registry().constFind(static_cast<int>(editor));
    return it != registry().constEnd() && it.value();
}

bool OpenEditor(Editor editor, AppState& state, QWidget* parent)
{
    const auto it = registry().constFind(static_cast<int>(editor));
    if (it == registry().constEnd() || !it.value()) {
        return false;
    }
    // The editor is modal: the command that opened it waits with the normal pointer.
    const WaitCursor::Pause pointer;
    it.value()(state, parent);
    return true;
}
