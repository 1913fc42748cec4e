#include "function/function_repository.h"

#include "function/cocomo_constant.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/sql_literal.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "function/function_draft.h"
#include "function/function_save.h"
#include "state/app_state.h"

namespace {

QString num(int value)
{
    return QString::number(value);
}

DbError loadError(const QString& text, const QString& statement)
{
    return DbError(DbError::Other, text, statement);
}

} // namespace

QString FunctionRepository::where() const
{
    return QStringLiteral(" WHERE NPROJECT = ") + num(m_state.CurProject) +
           QStringLiteral(" AND NFUNCTION = ") + num(m_state.CurFunction);
}

FunctionRepository::Loaded FunctionRepository::loadDraft(FunctionDraft& draft)
{
    // Read before the rows shown: a change made in between is asked about at the save.
    m_stored.reset();
    if (m_state.FuncEditMode != 0) {
        m_stored = ReadStoredFunction(m_state);
    }
    loadCharges();
    loadChoices(draft);
    loadDrivers(draft);
    draft.setCalibratedA(StoredCocomoA(*m_state.Conn));
    loadProcesses(draft);
    if (m_state.FuncEditMode == 0) {
        loadUnitPrices(draft);
    } else {
        loadStoredFunction(draft);
    }
    loadFpRows(draft);

    for (int i = 0; i < kCorrectionClasses; ++i) {
        const ClassCoefficient c = classCoefficient(i, draft.correctionClass(i));
        draft.setClassCoefficient(i, c.shown, c.value);
    }
    const StepsPerPoint language = languageCoefficient(draft.language());
    draft.setLanguageCoefficient(language.value);
    return {language.overflow};
}

// Each process's assignments are renumbered 1...n in their stored order: a member replacement
// can leave a gap that would otherwise hide the rows after it.
void FunctionRepository::loadCharges()
{
    m_state.chargeTable = ChargeTable{};
    if (!m_state.policy.Charge) {
        return;
    }
    DbConnection& conn = *m_state.Conn;
    const QString sql = QStringLiteral("SELECT * FROM VCHARGE") + where() +
                        QStringLiteral(" AND NPRIKIND = ") + num(m_state.CurPriKind) +
                        QStringLiteral(" ORDER BY NPROC, NADD");
    int loaded = 0;
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int process = rs.field(QStringLiteral("NPROC")).toInt();
        if (process < 1 || process > kProcessRows) {
            throw loadError(QStringLiteral("担当の工程番号 %1 は見積工数の行にありません。").arg(process),
                            sql);
        }
        int slot = 1;
        while (slot <= kMaxAssignments && m_state.chargeTable[process][slot].NADD != 0) {
            ++slot;
        }
        if (slot > kMaxAssignments) {
            throw loadError(
                QStringLiteral("工程 %1 の担当が%2人を超えています。").arg(process).arg(kMaxAssignments),
                sql);
        }
        ChargeSlot& s = m_state.chargeTable[process][slot];
        s.NADD = slot;
        s.NMEMBER = rs.key(QStringLiteral("NMEMBER"));
        s.CMEMBER = rs.field(QStringLiteral("CMEMBER")).toString();
        s.NHOUR = ToDbl(rs.field(QStringLiteral("NHOUR")));
        s.NDPRI = ToDbl(rs.field(QStringLiteral("NDPRI")));
        ++loaded;
    }
    // Assignments the view does not show (a project without a price kind) would be lost by
    // the next save; the window refuses to open instead.
    const QString count = QStringLiteral("SELECT COUNT(*) AS CNT FROM TCHARGE") + where();
    Recordset rs = OpenRs(conn, count);
    if (!rs.eof() && rs.field(QStringLiteral("CNT")).toInt() != loaded) {
        throw loadError(QStringLiteral("作業費単価の種類が決まっていないため、担当を読み込めません。"), sql);
    }
}

// The classes start on their division's default entry (the last one marked CDEF '1'), or on
// none; the languages on the first.
void FunctionRepository::loadChoices(FunctionDraft& draft)
{
    DbConnection& conn = *m_state.Conn;
    for (int i = 0; i < kCorrectionClasses; ++i) {
        CodeChoice& choice = draft.correctionClass(i);
        for (const DivisionRow& row : DivisionRows(conn, Division::FirstClass + i)) {
            choice.add(row.code, row.name);
            if (row.def == QLatin1String("1")) {
                choice.index = choice.entries.size() - 1;
            }
        }
    }
    CodeChoice& language = draft.language();
    for (Recordset rs = OpenRs(conn, QStringLiteral("SELECT * FROM MLANG ORDER BY NSORT,NLANG")); !rs.eof();
         rs.moveNext()) {
        language.add(rs.key(QStringLiteral("NLANG")), rs.field(QStringLiteral("CLANG")).toString());
        if (language.index < 0) {
            language.index = 0;
        }
    }
}

void FunctionRepository::loadDrivers(FunctionDraft& draft)
{
    const QString sql = QStringLiteral("SELECT NDKIND, NDRIVER, NDRANK, NVALUE, CNAME") +
                        QStringLiteral(" FROM MCOCOMO C, MDIV D") + QStringLiteral(" WHERE D.NDID = ") +
                        QString::number(Division::CocomoRank) + QStringLiteral(" AND D.NVAL = C.NDRANK") +
                        QStringLiteral(" ORDER BY NDKIND, NDRIVER, NDRANK");
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        const int kind = rs.field(QStringLiteral("NDKIND")).toInt();
        const int index = rs.field(QStringLiteral("NDRIVER")).toInt() - 1;
        const int rank = rs.field(QStringLiteral("NDRANK")).toInt();
        const double value = ToDbl(rs.field(QStringLiteral("NVALUE")));
        const int drivers = kind == 1 ? kScaleDrivers : kCostDrivers;
        if (index < 0 || index >= drivers || rank < 0 || rank >= CocomoDriver::kRanks) {
            throw loadError(QStringLiteral("COCOMOの要因 %1-%2 (ランク %3) は画面にありません。")
                                .arg(kind)
                                .arg(index + 1)
                                .arg(rank),
                            sql);
        }
        CocomoDriver& driver = kind == 1 ? draft.scaleDriver(index) : draft.costDriver(index);
        driver.values[rank] = value;
        driver.ranks.add(rank, rs.field(QStringLiteral("CNAME")).toString());
        // Every driver starts nominal, or on its first rank when it has no nominal one; an
        // existing function's ranks follow from TCOCOMO. A driver left without a choice would
        // be saved as rank 1.
        if (rank == 2 || driver.ranks.index < 0) {
            driver.ranks.index = driver.ranks.entries.size() - 1;
        }
    }
}

void FunctionRepository::loadProcesses(FunctionDraft& draft)
{
    const QString sql = QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") +
                        QString::number(Division::Process) + QStringLiteral(" AND CDEF = '1' ORDER BY NSORT");
    int k = 0;
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext(), ++k) {
        if (k >= kProcessRows) {
            throw loadError(QStringLiteral("使用中の開発工程が%1を超えています。").arg(kProcessRows), sql);
        }
        ProcessRowDraft& row = draft.process(k);
        row.inUse = true;
        row.name = rs.field(QStringLiteral("CNAME")).toString();
        row.code = rs.field(QStringLiteral("NVAL")).toInt();
        row.shown = true;
    }
    // A row beyond the processes in use still shows when it holds assignments, so that
    // nothing priced is hidden.
    for (int i = k; i < kProcessRows; ++i) {
        draft.process(i).shown = m_state.policy.Charge && m_state.chargeTable[i + 1][1].NADD != 0;
    }
}

void FunctionRepository::loadUnitPrices(FunctionDraft& draft)
{
    const QString sql = QStringLiteral("SELECT * FROM MPRIPROG") + QStringLiteral(" WHERE NPRIKIND = ") +
                        num(m_state.CurPriKind) + QStringLiteral(" AND CCKIND = '1'") +
                        QStringLiteral(" ORDER BY NDKIND");
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        const int code = rs.field(QStringLiteral("NDKIND")).toInt();
        for (int i = 0; i < kProcessRows; ++i) {
            if (draft.process(i).code == code) {
                draft.process(i).unitPriceText = ToText(rs.field(QStringLiteral("NDPRI")));
            }
        }
    }
}

void FunctionRepository::loadStoredFunction(FunctionDraft& draft)
{
    DbConnection& conn = *m_state.Conn;
    QString sql = QStringLiteral("SELECT * FROM TFUNCTION") + where();
    Recordset f = OpenRs(conn, sql);
    if (f.eof()) {
        throw loadError(QStringLiteral("機能項目が見つかりません。削除された可能性があります。"), sql);
    }
    draft.setOnHold(!f.field(QStringLiteral("CVALID")).isValid());
    draft.setTitle(f.field(QStringLiteral("CSFUNC")).toString());
    draft.setDescription(f.field(QStringLiteral("CLFUNC")).toString());
    const char* const columns[kCorrectionClasses] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    for (int i = 0; i < kCorrectionClasses; ++i) {
        draft.correctionClass(i).chooseCode(f.field(QString::fromLatin1(columns[i])));
    }
    draft.language().chooseCode(f.field(QStringLiteral("NLNG")));
    draft.setDiscountText(ToText(f.field(QStringLiteral("NDISCOUNT"))));

    sql = QStringLiteral("SELECT * FROM THOUR") + where() + QStringLiteral(" ORDER BY NDKIND");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int code = rs.field(QStringLiteral("NDKIND")).toInt();
        for (int i = 0; i < kProcessRows; ++i) {
            ProcessRowDraft& row = draft.process(i);
            if (row.code == code) {
                row.hourText = ToText(rs.field(QStringLiteral("NHOUR")));
                row.unitPriceText = FormatAmount(rs.field(QStringLiteral("NPRI")));
            }
        }
    }

    sql = QStringLiteral("SELECT * FROM TFPADJ") + where() + QStringLiteral(" ORDER BY NKIND");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int index = rs.field(QStringLiteral("NKIND")).toInt() - 1;
        if (index < 0 || index >= kAdjustFactors) {
            throw loadError(QStringLiteral("調整係数 %1 は画面にありません。").arg(index + 1), sql);
        }
        draft.adjustment(index).chooseCode(rs.field(QStringLiteral("NFPADJ")));
    }

    sql = QStringLiteral("SELECT * FROM TCOCOMO") + where() + QStringLiteral(" ORDER BY NDKIND,NDRIVER");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int kind = rs.field(QStringLiteral("NDKIND")).toInt();
        const int index = rs.field(QStringLiteral("NDRIVER")).toInt() - 1;
        const int drivers = kind == 1 ? kScaleDrivers : kCostDrivers;
        if (index < 0 || index >= drivers) {
            throw loadError(
                QStringLiteral("COCOMOの要因 %1-%2 は画面にありません。").arg(kind).arg(index + 1), sql);
        }
        CocomoDriver& driver = kind == 1 ? draft.scaleDriver(index) : draft.costDriver(index);
        driver.ranks.chooseCode(rs.field(QStringLiteral("NDRANK")));
    }
}

void FunctionRepository::loadFpRows(FunctionDraft& draft)
{
    const QString sql = QStringLiteral("SELECT * FROM VFP") + where() + QStringLiteral(" ORDER BY NADD");
    QVector<FpRow> rows;
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        FpRow row;
        row.title = rs.field(QStringLiteral("CTITLE")).toString();
        row.kind = rs.field(QStringLiteral("NKIND")).toInt();
        row.complexity = rs.field(QStringLiteral("NCOMPLEX")).toInt();
        row.points = ToText(rs.field(QStringLiteral("NFP")));
        rows.append(row);
    }
    draft.fpRows().reset(rows);
}

FunctionRepository::ClassCoefficient FunctionRepository::classCoefficient(int i, const CodeChoice& chosen)
{
    const int code = chosen.chosen() ? chosen.key() : -1;
    const int division = Division::FirstClass + i;
    const QString column = QStringLiteral("NCOEF");
    return {DivValue(*m_state.Conn, division, code, column),
            DivNumber(*m_state.Conn, division, code, column)};
}

FunctionRepository::StepsPerPoint FunctionRepository::languageCoefficient(const CodeChoice& language)
{
    if (!language.chosen()) {
        return {};
    }
    Recordset rs =
        OpenRs(*m_state.Conn, QStringLiteral("SELECT NCOEF FROM MLANG") + QStringLiteral(" WHERE NLANG = ") +
                                  SqlLiteral(language.key(), QStringLiteral("N")));
    if (rs.eof()) {
        return {};
    }
    StepsPerPoint result;
    result.overflow = !LanguageCoefficient(rs.field(QStringLiteral("NCOEF")), &result.value);
    return result;
}

QString FunctionRepository::fpPoints(int kind, int complexity)
{
    const QString sql = QStringLiteral("SELECT NFP FROM MFPMATRIX") + QStringLiteral(" WHERE NKIND = ") +
                        num(kind) + QStringLiteral(" AND NCOMPLEX = ") + num(complexity);
    Recordset rs = OpenRs(*m_state.Conn, sql);
    if (rs.eof()) {
        throw DbError(DbError::Other, QStringLiteral("この種類と複雑度のポイントが登録されていません。"),
                      sql);
    }
    return ToText(rs.field(QStringLiteral("NFP")));
}

bool FunctionRepository::save(int mode, const FunctionData& data, QString* lastStatement,
                              const OverwriteQuestion& overwriteChanged)
{
    return WriteFunctionData(m_state, mode, data, lastStatement, m_stored ? &*m_stored : nullptr,
                             overwriteChanged);
}
