#pragma once

#include <QMainWindow>

struct AppState;

// frmMain: the project tree, the function list and the summary; the hub of every editor.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppState& state, QWidget* parent = nullptr);

private:
    AppState& m_state;
};
