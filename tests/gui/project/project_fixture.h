#pragma once

#include "common/division_combos.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "gui_helpers.h"
#include "project/project_editor.h"
#include "state/app_state.h"
#include "test_support.h"

// Helpers of the project editor tests: the real frmProj on a seeded database, its controls
// found by their documented names.

// Opens the editor as the main window does: update mode on a project, or (project 0) new mode
// under a proposed parent.
inline std::unique_ptr<ProjectEditor> openProject(AppState& state, int project, int priceKind = 1)
{
    state.EditMode = project == 0 ? 0 : 1;
    state.CurProject = project;
    state.CurPriKind = priceKind;
    state.Updated = false;
    state.PricesChanged = false;
    auto editor = std::make_unique<ProjectEditor>(state);
    editor->show();
    return editor;
}

inline std::unique_ptr<ProjectEditor> openNewProject(AppState& state, int proposedParent)
{
    state.ProposedParent = proposedParent;
    return openProject(state, 0);
}

// The world of one test case: settings, a seeded SQLite database, the shared state and the
// editor under test.
class EditorFixture {
public:
    void init()
    {
        env = std::make_unique<GuiTestEnvironment>();
        db = TestDatabase::create(Engine::SQLite, true);
        state = db->makeState();
    }
    void cleanup()
    {
        editor.reset();
        state.reset();
        db.reset();
        env.reset();
        ClearDivisionCache(); // a test may have changed the divisions
    }
    // Opens the editor on a project (0: a new one under the root) at a tab.
    QWidget* open(int project, int tab)
    {
        editor = project == 0 ? openNewProject(*state, 0) : openProject(*state, project);
        showTab(editor.get(), tab);
        Messages::clearShown();
        return editor.get();
    }

    std::unique_ptr<GuiTestEnvironment> env;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ProjectEditor> editor;
};

// Every row of the tables a project save or the master registrations can touch, as text, so
// that a failed save can be shown to have changed nothing.
inline QString snapshot(DbConnection& connection)
{
    const QList<QPair<QString, QStringList>> tables = {
        {u"TPROJECT"_s,
         {"NPROJECT", "NPARPROJ", "CPROJNAME", "NENDCUST", "NCONTCUST", "NPRIKIND", "NBASE", "NPRICE",
          "COUTLINE", "CSPECIAL", "CBASE", "CWORK", "COPT", "CDELIV", "CEXPE0", "CEXPE1", "NDISCOUNT"}},
        {u"TFUNCTION"_s, {"NPROJECT", "NFUNCTION", "CSFUNC", "NHTOTAL", "NTOTAL", "NPRICE"}},
        {u"TCONTRACT"_s, {"NPROJECT", "NCID", "NVAL", "CNAME", "CMEMO", "NPRI"}},
        {u"TDATE"_s, {"NPROJECT", "NFUNCTION", "NDKIND", "DDATE"}},
        {u"TDELIV"_s, {"NPROJECT", "NADD", "NVAL", "CHAVE", "CFMT", "CDELIV", "NPRI"}},
        {u"TEXPENSE"_s, {"NPROJECT", "NADD", "NITEM", "NBUY", "NAPIECE", "NNUM", "NDISCP", "NPRICEP"}},
        {u"TMEMBER"_s, {"NPROJECT", "NADD", "NMEMBER", "NMKIND", "NMEMBPRI", "NMEMBOCCU", "NINDIRECT"}},
        {u"TCHARGE"_s, {"NPROJECT", "NFUNCTION", "NPROC", "NADD", "NMEMBER", "NHOUR"}},
        {u"THOUR"_s, {"NPROJECT", "NFUNCTION", "NDKIND", "NHOUR", "NPRI"}},
        {u"TFP"_s, {"NPROJECT", "NFUNCTION", "NADD"}},
        {u"MMEMBER"_s, {"NMEMBER", "CMEMBER", "NMKIND", "NMEMBPRI", "NSORT"}},
        {u"MITEM"_s, {"NITEM", "CITEM", "NAPIECE", "NSORT"}},
    };
    QStringList lines;
    for (const auto& [table, columns] : tables) {
        QStringList rows;
        for (Recordset rs = OpenRs(connection, u"SELECT * FROM "_s + table); !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const QString& column : columns) {
                cells << rs.field(column).toString();
            }
            rows << table + QLatin1Char('|') + cells.join(QLatin1Char('|'));
        }
        rows.sort();
        lines << rows;
    }
    return lines.join(QLatin1Char('\n'));
}

// The boxes of a row of the member list (tab 1) or of the expense list (tab 5): a name combo, a
// kind combo and three figures.
const QStringList kMemberBoxes{"cmbMember", "cmbMKind", "txtMembPri", "txtMembOccu", "txtIndirect"};
const QStringList kExpenseBoxes{"cmbItem", "cmbBuy", "txtApiece", "txtNum", "txtDiscP"};

// Fills a row's boxes the way a user does and presses one of the row buttons. A name is picked
// from the list, or typed when it starts with '>'; an empty name or kind leaves its combo alone.
inline void enterRow(QWidget* e, const QStringList& boxes, const QStringList& values, const QString& button)
{
    auto* name = control<QComboBox>(e, boxes.at(0));
    const QString& text = values.at(0);
    if (text.startsWith(QLatin1Char('>'))) {
        typeName(name, text.mid(1));
    } else if (!text.isEmpty()) {
        pick(name, text);
    }
    if (!values.at(1).isEmpty()) {
        pick(control<QComboBox>(e, boxes.at(1)), values.at(1));
    }
    for (int i = 2; i < 5; ++i) {
        setText(e, boxes.at(i), values.at(i));
    }
    clickButton(e, button);
}
