#pragma once

class QMainWindow;
struct AppState;

// The commands of the actual hours and the estimate accuracy, put into the main window's menus:
// ﾌﾟﾛｼﾞｪｸﾄ → "実績工数の入力(&A)..." (mnuActual) and "プロジェクトの分析(&G)..." (mnuAnalysis)
// for the selected project, ﾂｰﾙ → "見積精度と校正(&E)..." (mnuCalib).
void AddAccuracyCommands(QMainWindow* window, AppState& state);
