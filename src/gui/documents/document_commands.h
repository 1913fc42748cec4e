#pragma once

class QMainWindow;
struct AppState;

// The commands of the documents, put into the main window's menus: ﾌｧｲﾙ → "CSVに書き出し"
// (mnuCsv: the functions of the selected project mnuCsvFunctions, all projects
// mnuCsvProjects, the quotation lines of the selected project mnuCsvQuoteLines),
// ﾌﾟﾛｼﾞｪｸﾄ → "見積書(&Q)..." (mnuQuoteDoc), マスタ → "発行者情報(&I)..." (mnuIssuer).
void AddDocumentCommands(QMainWindow* window, AppState& state);
