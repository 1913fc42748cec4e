#pragma once

#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "gui_helpers.h"
#include "test_support.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

// Every row of the tables a function owns, in key order: equal snapshots mean nothing changed.
inline QString FunctionRowsSnapshot(DbConnection& connection)
{
    const QStringList statements = {
        u"SELECT * FROM TFUNCTION ORDER BY NPROJECT, NFUNCTION"_s,
        u"SELECT * FROM TFP ORDER BY NPROJECT, NFUNCTION, NADD"_s,
        u"SELECT * FROM TFPADJ ORDER BY NPROJECT, NFUNCTION, NKIND"_s,
        u"SELECT * FROM TCOCOMO ORDER BY NPROJECT, NFUNCTION, NDKIND, NDRIVER"_s,
        u"SELECT * FROM THOUR ORDER BY NPROJECT, NFUNCTION, NDKIND"_s,
        u"SELECT * FROM TCHARGE ORDER BY NPROJECT, NFUNCTION, NPROC, NADD"_s,
    };
    const QStringList columns = {
        QStringLiteral(
            "NPROJECT,NFUNCTION,CVALID,NNUP,NIMP,NDEF,NRSK,NTRM,NLNG,CSFUNC,CLFUNC,NDISCOUNT,NHTOTAL,"
            "NTOTAL,NPRICE"),
        u"NPROJECT,NFUNCTION,NADD,CTITLE,NKIND,NCOMPLEX"_s,
        u"NPROJECT,NFUNCTION,NKIND,NFPADJ"_s,
        u"NPROJECT,NFUNCTION,NDKIND,NDRIVER,NDRANK"_s,
        u"NPROJECT,NFUNCTION,NDKIND,NHOUR,NPRI"_s,
        u"NPROJECT,NFUNCTION,NPROC,NADD,NMEMBER,NHOUR"_s,
    };
    QString out;
    for (int t = 0; t < statements.size(); ++t) {
        out += statements[t] + QLatin1Char('\n');
        for (Recordset rs = OpenRs(connection, statements[t]); !rs.eof(); rs.moveNext()) {
            for (const QString& c : columns[t].split(QLatin1Char(','))) {
                const QVariant v = rs.field(c);
                out += v.isValid() ? v.toString() : u"NULL"_s;
                out += QLatin1Char('|');
            }
            out += QLatin1Char('\n');
        }
    }
    return out;
}

// A project of its own on the demo data, for assignment figures: members 3 (1,000 hours, 100
// of them indirect) and 7...11 added, one counted function giving member 3 300 hours and one
// function on hold giving it 50. Returns the project's key.
inline int AddAssignmentProject(DbConnection& c)
{
    ExecSql(c,
            QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, "
                           "NPRICE, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT) VALUES (0, "
                           "'割当検証', 1, 2, 1, 0, 0, '1', '1', '1', '1', '0', '1', 0)"));
    const int project = GetIdentity(c, u"TPROJECT"_s);
    for (int i = 1; i <= 5; ++i) {
        ExecSql(c,
                QStringLiteral("INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('追加%1', 4, "
                               "3500, %2)")
                    .arg(i)
                    .arg(10 + i));
    }
    const QString p = QString::number(project);
    // Members 1...11; member 3 is an SE (7,500 yen per hour under price kind 1).
    int add = 1;
    for (int member = 1; member <= 11; ++member) {
        const int kind = member == 3 ? 3 : 4;
        const QString hours = member == 3 ? u"1000, 100"_s : u"500, 0"_s;
        ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, %2, %3, %4, 0, %5)"_s.arg(p)
                       .arg(add++)
                       .arg(member)
                       .arg(kind)
                       .arg(hours));
    }
    ExecSql(c, QStringLiteral("INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, "
                              "CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES (") +
                   p + u", '1', 1, 2, 2, 2, 2, 1, '既存', '', 0, 300, 2250000, 2250000)"_s);
    const int counted = GetIdentity(c, u"TFUNCTION"_s);
    ExecSql(c, QStringLiteral("INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, "
                              "CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES (") +
                   p + u", NULL, 1, 2, 2, 2, 2, 1, '保留中', '', 0, 50, 375000, 375000)"_s);
    const int onHold = GetIdentity(c, u"TFUNCTION"_s);
    ExecSql(c, u"INSERT INTO TCHARGE VALUES (%1, %2, 1, 1, 3, 300)"_s.arg(p).arg(counted));
    ExecSql(c, u"INSERT INTO TCHARGE VALUES (%1, %2, 1, 1, 3, 50)"_s.arg(p).arg(onHold));
    return project;
}
