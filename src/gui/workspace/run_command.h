#pragma once

#include "common/db_error_report.h"
#include "common/wait_cursor.h"

class QWidget;

// A user command of the main window: one hourglass over all its statements (an editor it opens
// runs with the normal pointer), and a database error after start-up reported, never lost in
// the event loop.
template <typename Command> void RunCommand(QWidget* window, Command&& command)
{
    RunHandler(window, [&command] {
        const WaitCursor wait;
        command();
    });
}
