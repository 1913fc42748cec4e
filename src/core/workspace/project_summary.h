#pragma once

#include <QString>

class DbConnection;
struct AppState;
struct Policy;

// The summary of the selected project (CurProject) above the function list and in the status
// bar: the texts are computed here, the main window only puts them on screen.

namespace Summary {
inline const QString kNotSelected = QStringLiteral("[未選択]");
inline const QString kInitialListTitle = QStringLiteral("機能項目一覧：[未選択]");
inline const QString kInitialHours = QStringLiteral("残工数：[未選択]");
inline const QString kInitialProfit = QStringLiteral("純利益：[未選択]");
inline const QString kInitialRate = QStringLiteral("利益率：[未選択]");
inline const QString kHoursTip = QStringLiteral("メンバ占有工数-機能別見積工数合計");
inline const QString kProfitTip = QStringLiteral("受注金額-（経費計+契約ｵﾌﾟｼｮﾝ+ﾒﾝﾊﾞ占有時間*費用)");
inline const QString kRateTip = QStringLiteral("純利益*100/(受注金額-（経費計+契約ｵﾌﾟｼｮﾝ))");
} // namespace Summary

// The amounts the profit figures are made of, each NULL counted as 0.
struct ProfitInputs {
    double price = 0;               // P: contract price
    double base = 0;                // B: base fee
    double expenses[3] = {0, 0, 0}; // E0, E1 (and buyer code 2, which counts nowhere)
    double options = 0;             // O: contract options
    double deliverables = 0;        // D: deliverables
    double labour = 0;              // W: member price x occupied hours
    double indirectLabour = 0;      // I: member price x indirect hours
};

// false when the project does not exist.
bool ReadProfitInputs(DbConnection& connection, int project, ProfitInputs* inputs);
double NetProfit(const ProfitInputs& in, const Policy& policy);
// workTotal is the base of "Rate" 1 (ProjectWorkTotal).
double RateBase(const ProfitInputs& in, const Policy& policy, double workTotal);

struct HourFigures {
    double capacity = 0; // C: occupied hours, less the indirect hours unless "Hour" is on
    double used = 0;     // U: the hours of the counted functions
};
HourFigures ReadHourFigures(DbConnection& connection, int project, const Policy& policy);

// Status bar panel 1: "残工数：R/C時間".
QString RemainingHoursText(AppState& state);

// Status bar panels 2 and 3: "純利益：N円" and "利益率：x.xx％" (or "[計算不能]").
struct ProfitTexts {
    QString money;
    QString rate;
};
ProfitTexts ProfitPanelTexts(AppState& state);
