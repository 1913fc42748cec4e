#pragma once

#include "common/list_helpers.h"
#include "common/messages.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "demo_function.h"
#include "gui_helpers.h"
#include "state/app_state.h"
#include "test_support.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

// A test's own world: the demo database on one engine and the program state over it.
struct DemoSession {
    GuiTestEnvironment env;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;

    explicit DemoSession(Engine engine = Engine::SQLite)
        : db(TestDatabase::create(engine, true)), state(db->makeState())
    {
    }

    DbConnection& conn() { return *state->Conn; }

    // Chooses a function of project 2 (0: a new one) for the editor, under price kind 1.
    AppState& open(int function, bool charge) { return ChooseDemoFunction(*state, function, charge); }
};

// Every row of the tables a function owns, in key order: equal snapshots mean nothing changed.
inline QString FunctionRowsSnapshot(DbConnection& connection)
{
    // Each table with its columns, the key first.
    const QStringList tables = {
        u"TFUNCTION:NPROJECT,NFUNCTION,CVALID,NNUP,NIMP,NDEF,NRSK,NTRM,NLNG,CSFUNC,CLFUNC,NDISCOUNT,"
        u"NHTOTAL,NTOTAL,NPRICE"_s,
        u"TFP:NPROJECT,NFUNCTION,NADD,CTITLE,NKIND,NCOMPLEX"_s,
        u"TFPADJ:NPROJECT,NFUNCTION,NKIND,NFPADJ"_s,
        u"TCOCOMO:NPROJECT,NFUNCTION,NDKIND,NDRIVER,NDRANK"_s,
        u"THOUR:NPROJECT,NFUNCTION,NDKIND,NHOUR,NPRI"_s,
        u"TCHARGE:NPROJECT,NFUNCTION,NPROC,NADD,NMEMBER,NHOUR"_s,
    };
    QString out;
    for (const QString& table : tables) {
        const QString name = table.section(QLatin1Char(':'), 0, 0);
        const QString columns = table.section(QLatin1Char(':'), 1);
        out += name + QLatin1Char('\n');
        for (Recordset rs = OpenRs(connection, u"SELECT * FROM %1 ORDER BY %2"_s.arg(name, columns));
             !rs.eof(); rs.moveNext()) {
            for (const QString& c : columns.split(QLatin1Char(','))) {
                const QVariant v = rs.field(c);
                out += (v.isValid() ? v.toString() : u"NULL"_s) + QLatin1Char('|');
            }
            out += QLatin1Char('\n');
        }
    }
    return out;
}
