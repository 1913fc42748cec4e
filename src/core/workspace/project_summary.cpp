#include "workspace/project_summary.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "project/project_forest.h"
#include "project/project_rows.h"
#include "settings/policy.h"
#include "state/app_state.h"

namespace {

double numberOrZero(const QVariant& value)
{
    return value.isValid() ? value.toDouble() : 0.0;
}

QString idText(int id)
{
    return QString::number(id);
}

} // namespace

bool ReadProfitInputs(DbConnection& connection, int project, ProfitInputs* inputs)
{
    ProfitInputs in;
    const QString id = idText(project);
    {
        Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM TPROJECT WHERE NPROJECT = ") + id);
        if (rs.eof()) {
            return false;
        }
        in.price = numberOrZero(rs.field(QStringLiteral("NPRICE")));
        in.base = numberOrZero(rs.field(QStringLiteral("NBASE")));
    }
    for (Recordset rs = OpenRs(
             connection, QStringLiteral("SELECT SUM(NPRICEP) AS NEXPE, NBUY FROM TEXPENSE") +
                             QStringLiteral(" WHERE NPROJECT = ") + id + QStringLiteral(" GROUP BY NBUY"));
         !rs.eof(); rs.moveNext()) {
        const QVariant buy = rs.field(QStringLiteral("NBUY"));
        // Only the three purchase kinds have a slot; any other code counts nowhere.
        if (!buy.isValid()) {
            continue;
        }
        const int slot = buy.toInt();
        if (slot >= 0 && slot <= 2) {
            in.expenses[slot] = numberOrZero(rs.field(QStringLiteral("NEXPE")));
        }
    }
    {
        Recordset rs = OpenRs(
            connection, QStringLiteral("SELECT SUM(NPRI) AS NOPT FROM TCONTRACT WHERE NPROJECT = ") + id);
        in.options = rs.eof() ? 0.0 : numberOrZero(rs.field(QStringLiteral("NOPT")));
    }
    {
        Recordset rs = OpenRs(
            connection, QStringLiteral("SELECT SUM(NPRI) AS NDELIV FROM TDELIV WHERE NPROJECT = ") + id);
        in.deliverables = rs.eof() ? 0.0 : numberOrZero(rs.field(QStringLiteral("NDELIV")));
    }
    {
        Recordset rs = OpenRs(
            connection, QStringLiteral("SELECT SUM(NMEMBPRI*NMEMBOCCU) AS NWORK, SUM(NMEMBPRI*NINDIRECT) "
                                       "AS NIND FROM TMEMBER WHERE NPROJECT = ") +
                            id);
        if (!rs.eof()) {
            in.labour = numberOrZero(rs.field(QStringLiteral("NWORK")));
            in.indirectLabour = numberOrZero(rs.field(QStringLiteral("NIND")));
        }
    }
    *inputs = in;
    return true;
}

double NetProfit(const ProfitInputs& in, const Policy& policy)
{
    double n = in.price;
    if (policy.Work) {
        n -= in.labour;
        if (!policy.Indirect) {
            n += in.indirectLabour;
        }
    }
    if (policy.Base) {
        n -= in.base;
    }
    if (policy.Opt) {
        n -= in.options;
    }
    if (policy.Deliv) {
        n -= in.deliverables;
    }
    if (policy.Expe0) {
        n -= in.expenses[0];
    }
    if (policy.Expe1) {
        n -= in.expenses[1];
    }
    return n;
}

double RateBase(const ProfitInputs& in, const Policy& policy, double workTotal)
{
    if (policy.Rate == 0) {
        return in.price;
    }
    if (policy.Rate == 1) {
        return workTotal;
    }
    double r = 0;
    if (policy.WorkR) {
        r = in.labour;
        if (!policy.IndirectR) {
            r -= in.indirectLabour;
        }
    }
    if (policy.BaseR) {
        r += in.base;
    }
    if (policy.OptR) {
        r += in.options;
    }
    if (policy.DelivR) {
        r += in.deliverables;
    }
    if (policy.Expe0R) {
        r += in.expenses[0];
    }
    if (policy.Expe1R) {
        r += in.expenses[1];
    }
    return r;
}

HourFigures ReadHourFigures(DbConnection& connection, int project, const Policy& policy)
{
    HourFigures figures;
    const QString id = idText(project);
    {
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT SUM(NMEMBOCCU) AS OCCU, SUM(NINDIRECT) AS INDIRECT "
                                              "FROM TMEMBER WHERE NPROJECT = ") +
                                   id);
        const double occupied = rs.eof() ? 0.0 : numberOrZero(rs.field(QStringLiteral("OCCU")));
        const double indirect = rs.eof() ? 0.0 : numberOrZero(rs.field(QStringLiteral("INDIRECT")));
        figures.capacity = policy.Hour ? occupied : occupied - indirect;
    }
    {
        Recordset rs = OpenRs(connection, QStringLiteral("SELECT SUM(T.NHOUR) AS HOUR") +
                                              (policy.Charge ? QStringLiteral(" FROM TCHARGE T, TFUNCTION F")
                                                             : QStringLiteral(" FROM THOUR T, TFUNCTION F")) +
                                              QStringLiteral(" WHERE T.NPROJECT = F.NPROJECT") +
                                              QStringLiteral(" AND T.NFUNCTION = F.NFUNCTION") +
                                              QStringLiteral(" AND T.NPROJECT = ") + id +
                                              QStringLiteral(" AND F.CVALID IS NOT NULL"));
        figures.used = rs.eof() ? 0.0 : numberOrZero(rs.field(QStringLiteral("HOUR")));
    }
    return figures;
}

QString RemainingHoursText(AppState& state)
{
    if (state.CurProject < 1) {
        return Summary::kInitialHours;
    }
    const HourFigures f = ReadHourFigures(*state.Conn, state.CurProject, state.policy);
    // Fractional member hours leave binary noise in the difference (5.5 - 3.7 is not 1.8).
    return QStringLiteral("残工数：") + ShownText(f.capacity - f.used) + QStringLiteral("/") +
           ShownText(f.capacity) + QStringLiteral("時間");
}

ProfitTexts ProfitPanelTexts(AppState& state)
{
    ProfitInputs in;
    if (state.CurProject < 1 || !ReadProfitInputs(*state.Conn, state.CurProject, &in)) {
        return {Summary::kInitialProfit, Summary::kInitialRate};
    }
    const double n = NetProfit(in, state.policy);
    const double r = RateBase(in, state.policy,
                              state.policy.Rate == 1 ? ProjectWorkTotal(*state.Conn, state.CurProject) : 0.0);
    ProfitTexts texts;
    texts.money = QStringLiteral("純利益：") + FormatNumber(n, 0, true) + QStringLiteral("円");
    texts.rate =
        r != 0.0 ? QStringLiteral("利益率：") + FormatNumber(n * 100.0 / r, 2, true) + QStringLiteral("％")
                 : QStringLiteral("利益率：[計算不能]");
    return texts;
}
