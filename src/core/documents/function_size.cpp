#include "documents/function_size.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/division_ids.h"

#include <QMap>
#include <tuple>

namespace {

// What the editor starts a driver and an adjustment factor on: nominal, degree 2.
constexpr int kNominalRank = 2;
constexpr int kDefaultDegree = 2;

using DriverKey = std::tuple<int, int, int>; // kind, driver, rank

} // namespace

QHash<int, EstimateResult> ProjectFunctionSizes(DbConnection& connection, int project, int hoursPerMonth,
                                                double cocomoA)
{
    const QString id = QString::number(project);

    // The ranks the editor offers: those with a label.
    QMap<DriverKey, double> driverValues;
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NDKIND, NDRIVER, NDRANK, NVALUE FROM MCOCOMO C, "
                                               "MDIV D WHERE D.NDID = ") +
                                    QString::number(Division::CocomoRank) +
                                    QStringLiteral(" AND D.NVAL = C.NDRANK"));
         !rs.eof(); rs.moveNext()) {
        driverValues.insert({rs.field(QStringLiteral("NDKIND")).toInt(),
                             rs.field(QStringLiteral("NDRIVER")).toInt(),
                             rs.field(QStringLiteral("NDRANK")).toInt()},
                            ToDbl(rs.field(QStringLiteral("NVALUE"))));
    }
    QHash<int, int> languages;
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT NLANG, NCOEF FROM MLANG")); !rs.eof();
         rs.moveNext()) {
        int coefficient = 0;
        LanguageCoefficient(rs.field(QStringLiteral("NCOEF")), &coefficient);
        languages.insert(rs.key(QStringLiteral("NLANG")), coefficient);
    }

    QHash<int, EstimateInput> inputs;
    for (Recordset rs = OpenRs(
             connection, QStringLiteral("SELECT NFUNCTION, NLNG FROM TFUNCTION WHERE NPROJECT = ") + id);
         !rs.eof(); rs.moveNext()) {
        EstimateInput in;
        in.adjustDegrees.fill(kDefaultDegree);
        for (int d = 0; d < kScaleDrivers; ++d) {
            in.scaleValues[d] = driverValues.value({1, d + 1, kNominalRank});
        }
        for (int d = 0; d < kCostDrivers; ++d) {
            in.costValues[d] = driverValues.value({2, d + 1, kNominalRank});
        }
        in.langCoef = languages.value(rs.key(QStringLiteral("NLNG")));
        in.mtoH = hoursPerMonth;
        in.cocomoA = cocomoA;
        inputs.insert(rs.key(QStringLiteral("NFUNCTION")), in);
    }

    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, NFP FROM VFP WHERE NPROJECT = ") + id +
                                    QStringLiteral(" ORDER BY NFUNCTION, NADD"));
         !rs.eof(); rs.moveNext()) {
        const auto it = inputs.find(rs.key(QStringLiteral("NFUNCTION")));
        if (it != inputs.end()) {
            it->fpWeights.append(NumberOrZero(ToText(rs.field(QStringLiteral("NFP")))));
        }
    }
    for (Recordset rs =
             OpenRs(connection,
                    QStringLiteral("SELECT NFUNCTION, NKIND, NFPADJ FROM TFPADJ WHERE NPROJECT = ") + id);
         !rs.eof(); rs.moveNext()) {
        const auto it = inputs.find(rs.key(QStringLiteral("NFUNCTION")));
        const int factor = rs.field(QStringLiteral("NKIND")).toInt() - 1;
        const int degree = rs.field(QStringLiteral("NFPADJ")).toInt();
        if (it != inputs.end() && factor >= 0 && factor < kAdjustFactors && degree >= 0 && degree <= 5) {
            it->adjustDegrees[factor] = degree;
        }
    }
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, NDKIND, NDRIVER, NDRANK FROM TCOCOMO "
                                               "WHERE NPROJECT = ") +
                                    id);
         !rs.eof(); rs.moveNext()) {
        const auto it = inputs.find(rs.key(QStringLiteral("NFUNCTION")));
        const int kind = rs.field(QStringLiteral("NDKIND")).toInt();
        const int driver = rs.field(QStringLiteral("NDRIVER")).toInt();
        const DriverKey key{kind, driver, rs.field(QStringLiteral("NDRANK")).toInt()};
        if (it == inputs.end() || !driverValues.contains(key)) {
            continue; // a rank the editor does not offer leaves the driver nominal
        }
        if (kind == 1 && driver >= 1 && driver <= kScaleDrivers) {
            it->scaleValues[driver - 1] = driverValues.value(key);
        } else if (kind == 2 && driver >= 1 && driver <= kCostDrivers) {
            it->costValues[driver - 1] = driverValues.value(key);
        }
    }

    QHash<int, EstimateResult> sizes;
    for (auto it = inputs.cbegin(); it != inputs.cend(); ++it) {
        sizes.insert(it.key(), CalculateEstimate(it.value()));
    }
    return sizes;
}
