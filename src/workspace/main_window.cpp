#include "workspace/main_window.h"

#include "foundation/app_state.h"
#include "foundation/help.h"

MainWindow::MainWindow(AppState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("VORNA"));
    Help::setTopic(this, 10);
    m_state.policy = LoadPolicy();
    resize(800, 600);
}
