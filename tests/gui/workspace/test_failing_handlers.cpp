#include "common/list_helpers.h"
#include "divisions/code_divisions.h"
#include "estimation/function_editor.h"
#include "estimation/member_replacement.h"
#include "estimation/work_assignment.h"
#include "gui_helpers.h"
#include "masters/master_editors.h"
#include "pricing/price_kinds.h"
#include "project/project_editor.h"
#include "state/app_state.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

#include <QHeaderView>
#include <QPlainTextEdit>

namespace {

using Window = std::unique_ptr<QWidget>;
using Step = std::function<void(QWidget*)>;

// One handler of one window that reads or writes the database: how the window is opened (on
// the demo data, shown), what the user did before, and the action that runs the handler.
struct Handler {
    QString name;
    std::function<Window(AppState&)> open;
    Step prepare;
    Step act;
};

template <typename T> Window shown(std::unique_ptr<T> window)
{
    window->show();
    return window;
}

Window mainWindow(AppState& s)
{
    return shown(std::make_unique<MainWindow>(s));
}

Window projectEditor(AppState& s)
{
    s.EditMode = 1;
    s.CurProject = 2;
    s.CurPriKind = 1;
    return shown(std::make_unique<ProjectEditor>(s));
}

// The first function of demo project 2, chosen as the main window chooses it.
void chooseFunction(AppState& s)
{
    s.CurProject = 2;
    s.CurPriKind = 1;
    s.CurFunction = 1;
}

Window functionEditor(AppState& s)
{
    chooseFunction(s);
    s.FuncEditMode = 1;
    return shown(std::make_unique<FunctionEditor>(s));
}

Window workAssignment(AppState& s)
{
    chooseFunction(s);
    s.ChargeProc = 1;
    return shown(std::make_unique<WorkAssignment>(s));
}

Window priceKinds(AppState& s)
{
    ExecSql(s.conn(), u"INSERT INTO MPRIBASE (NSORT, CPRINAME, NBASE) VALUES (2, '特急単価', 0)"_s);
    return shown(std::make_unique<PriceKindEditor>(s));
}

void selectProject(QWidget* w)
{
    auto* tree = control<QTreeWidget>(w, u"tvwPList"_s);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (ItemKey(*it) == u"P2"_s) {
            tree->setCurrentItem(*it);
        }
    }
}

void selectFunction(QWidget* w)
{
    selectProject(w);
    auto* list = control<QTreeWidget>(w, u"lvwFList"_s);
    list->setCurrentItem(list->topLevelItem(0), 2);
}

Step trigger(const QString& action)
{
    return [action](QWidget* w) { control<QAction>(w, action)->trigger(); };
}

Step click(const QString& button)
{
    return [button](QWidget* w) { clickButton(w, button); };
}

Step answeredYes(const QString& button)
{
    return [button](QWidget* w) {
        Messages::setNextAnswer(QMessageBox::Yes);
        clickButton(w, button);
    };
}

Step pickFirst(const QString& combo)
{
    return [combo](QWidget* w) {
        pickCode(control<QComboBox>(w, combo), control<QComboBox>(w, combo)->itemData(0).toInt());
    };
}

Step firstRow(const QString& list)
{
    return [list](QWidget* w) { clickRow(control<QTreeWidget>(w, list), 0); };
}

Step firstRowOfTab(int tab, const QString& list)
{
    return [tab, list](QWidget* w) {
        showTab(w, tab);
        clickRow(control<QTreeWidget>(w, list), 0);
    };
}

Step texts(const QList<QPair<QString, QString>>& boxes)
{
    return [boxes](QWidget* w) {
        for (const auto& [box, text] : boxes) {
            setText(w, box, text);
        }
    };
}

// The four name lists and the price kinds share one window design: a click that reads the row
// (customers, languages), add, update, delete and the arrows.
void addListEditor(QList<Handler>& handlers, const QString& form, std::function<Window(AppState&)> open,
                   const QString& list, const QString& down, bool readsRow, Step fillForAdd)
{
    if (readsRow) {
        handlers.append({form + u" row click"_s, open, {}, firstRow(list)});
    }
    if (fillForAdd) {
        handlers.append({form + u" cmdOK"_s, open, fillForAdd, click(u"cmdOK"_s)});
    }
    handlers.append({form + u" cmdUp"_s, open, firstRow(list), click(u"cmdUp"_s)});
    handlers.append({form + u" cmdDel"_s, open, firstRow(list), click(u"cmdDel"_s)});
    handlers.append({form + u" "_s + down, open, firstRow(list), click(down)});
}

template <typename Editor> std::function<Window(AppState&)> editor()
{
    return [](AppState& s) { return shown(std::make_unique<Editor>(s)); };
}

const QList<Handler>& handlers()
{
    static const QList<Handler> all = [] {
        QList<Handler> h{
            {u"frmMain tvwPList"_s, mainWindow, {}, selectProject},
            {u"frmMain lvwFList heading"_s, mainWindow, selectProject,
             [](QWidget* w) { emit control<QTreeWidget>(w, u"lvwFList"_s)->header()->sectionClicked(3); }},
            {u"frmMain mnuProjNew"_s, mainWindow, {}, trigger(u"mnuProjNew"_s)},
            {u"frmMain mnuProjUp"_s, mainWindow, selectProject, trigger(u"mnuProjUp"_s)},
            {u"frmMain mnuFuncNew"_s, mainWindow, selectProject, trigger(u"mnuFuncNew"_s)},
            {u"frmMain mnuFuncUp"_s, mainWindow, selectFunction, trigger(u"mnuFuncUp"_s)},
            {u"frmMain mnuPriUp"_s, mainWindow, {}, trigger(u"mnuPriUp"_s)},
            {u"frmMain mnuCustUp"_s, mainWindow, {}, trigger(u"mnuCustUp"_s)},
            {u"frmMain mnuLangUp"_s, mainWindow, {}, trigger(u"mnuLangUp"_s)},
            {u"frmMain mnuMembUp"_s, mainWindow, {}, trigger(u"mnuMembUp"_s)},
            {u"frmMain mnuExpUp"_s, mainWindow, {}, trigger(u"mnuExpUp"_s)},
            {u"frmMain mnuPolicy"_s, mainWindow, selectProject, trigger(u"mnuPolicy"_s)},
            {u"frmMain mnuMembChg"_s, mainWindow, selectProject, trigger(u"mnuMembChg"_s)},

            {u"frmProj cmbPriKind"_s, projectEditor, {}, pickFirst(u"cmbPriKind"_s)},
            {u"frmProj cmdOK"_s, projectEditor, {}, click(u"cmdOK"_s)},
            {u"frmProj cmdDel"_s, projectEditor, {}, answeredYes(u"cmdDel"_s)},
            {u"frmProj cmdCalc"_s, projectEditor, {}, click(u"cmdCalc"_s)},
            {u"frmProj cmdContract"_s, projectEditor, {}, click(u"cmdContract"_s)},
            {u"frmProj cmdDeliv"_s, projectEditor, texts({{u"txtDeliv_8"_s, u"手順書"_s}}),
             click(u"cmdDeliv"_s)},
            {u"frmProj cmbItem"_s, projectEditor, {}, pickFirst(u"cmbItem"_s)},
            {u"frmProj cmdExpAdd"_s, projectEditor,
             [](QWidget* w) {
                 typeName(control<QComboBox>(w, u"cmbItem"_s), u"新しい経費"_s);
                 setText(w, u"txtApiece"_s, u"1,000"_s);
             },
             click(u"cmdExpAdd"_s)},
            {u"frmProj cmbMember"_s, projectEditor, {}, pickFirst(u"cmbMember"_s)},
            {u"frmProj cmdMembAdd"_s, projectEditor,
             [](QWidget* w) {
                 typeName(control<QComboBox>(w, u"cmbMember"_s), u"新しいメンバ"_s);
                 texts({{u"txtMembPri"_s, u"5,000"_s}, {u"txtMembOccu"_s, u"100"_s}})(w);
             },
             click(u"cmdMembAdd"_s)},
            {u"frmProj cmdMembUp"_s, projectEditor, firstRowOfTab(1, u"lvwMList"_s), click(u"cmdMembUp"_s)},
            {u"frmProj cmdMembDel"_s, projectEditor, firstRowOfTab(1, u"lvwMList"_s), click(u"cmdMembDel"_s)},
            {u"frmProj cmdExpUp"_s, projectEditor, firstRowOfTab(5, u"lvwEList"_s), click(u"cmdExpUp"_s)},

            {u"frmFunc cmbLang"_s, functionEditor,
             [](QWidget* w) { control<QComboBox>(w, u"cmbLang"_s)->setCurrentIndex(-1); },
             [](QWidget* w) { control<QComboBox>(w, u"cmbLang"_s)->setCurrentIndex(0); }},
            {u"frmFunc cmbNUp"_s, functionEditor, [](QWidget*) { ClearDivisionCache(); },
             [](QWidget* w) {
                 auto* combo = control<QComboBox>(w, u"cmbNUp"_s);
                 combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
             }},
            {u"frmFunc cmdFpAdd"_s, functionEditor, texts({{u"txtFpTitle"_s, u"新しい帳票"_s}}),
             click(u"cmdFpAdd"_s)},
            {u"frmFunc cmdFpUp"_s, functionEditor, firstRowOfTab(2, u"lvwFpList"_s), click(u"cmdFpUp"_s)},
            {u"frmFunc cmdOK"_s, functionEditor, {}, click(u"cmdOK"_s)},
            {u"frmFunc cmdDel"_s, functionEditor, {}, answeredYes(u"cmdDel"_s)},
            {u"frmFunc cmdHour_0"_s, functionEditor, {}, click(u"cmdHour_0"_s)},

            {u"frmCharge cmbMember"_s,
             workAssignment,
             {},
             [](QWidget* w) { control<QComboBox>(w, u"cmbMember"_s)->setCurrentIndex(0); }},
            {u"frmCharge row click"_s, workAssignment,
             [](QWidget* w) {
                 control<QComboBox>(w, u"cmbMember"_s)->setCurrentIndex(0);
                 setText(w, u"txtHour"_s, u"8"_s);
                 clickButton(w, u"cmdChgAdd"_s);
                 control<QComboBox>(w, u"cmbMember"_s)->setCurrentIndex(1);
             },
             firstRow(u"lvwChList"_s)},

            {u"frmMembChg cmdOK"_s,
             [](AppState& s) {
                 s.CurProject = 2;
                 return shown(std::make_unique<MemberReplacementDialog>(s));
             },
             [](QWidget* w) { control<QComboBox>(w, u"cmbMembDis"_s)->setCurrentIndex(1); },
             click(u"cmdOK"_s)},
        };
        addListEditor(h, u"frmCust"_s, editor<CustomerEditor>(), u"lvwCList"_s, u"cmdCDown"_s, true,
                      texts({{u"txtCustName"_s, u"新しい顧客"_s}}));
        addListEditor(h, u"frmLang"_s, editor<LanguageEditor>(), u"lvwLList"_s, u"cmdLDown"_s, true,
                      texts({{u"txtLangName"_s, u"Rust"_s}, {u"txtLangCoef"_s, u"50"_s}}));
        addListEditor(h, u"frmMember"_s, editor<MemberEditor>(), u"lvwMbList"_s, u"cmdCDown"_s, false, {});
        addListEditor(h, u"frmItem"_s, editor<ItemEditor>(), u"lvwItList"_s, u"cmdCDown"_s, false, {});
        addListEditor(h, u"frmPri"_s, priceKinds, u"lvwPrList"_s, u"cmdPrDown"_s, false, [](QWidget* w) {
            setText(w, u"txtPriName"_s, u"新しい単価"_s);
            for (auto* box : w->findChildren<QLineEdit*>(QRegularExpression(u"^txtPri_\\d$"_s))) {
                box->setText(u"1,000"_s);
            }
        });
        return h;
    }();
    return all;
}

// What the user has typed into the window's boxes (not the combos, which the actions change).
QStringList typedTexts(const QWidget* window)
{
    QStringList typed;
    for (const QLineEdit* box : window->findChildren<QLineEdit*>()) {
        if (!qobject_cast<QComboBox*>(box->parentWidget())) {
            typed << box->objectName() + u'=' + box->text();
        }
    }
    for (const QPlainTextEdit* memo : window->findChildren<QPlainTextEdit*>()) {
        typed << memo->objectName() + u'=' + memo->toPlainText();
    }
    typed.sort(); // a page brought to the front moves among its siblings
    return typed;
}

} // namespace

// A database that fails while a window's handler runs (a restarted server, a killed session) is
// reported and leaves the window open with what was typed, in every window.
class TestFailingHandlers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterAllEditors(); }
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void failureIsReported_data()
    {
        addColumns<int, int>({"engine", "handler"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            for (int i = 0; i < handlers().size(); ++i) {
                QTest::newRow(qPrintable(EngineName(engine) + u' ' + handlers().at(i).name))
                    << static_cast<int>(engine) << i;
            }
        }
    }
    void failureIsReported()
    {
        FETCH_ENGINE();
        QFETCH(int, handler);
        const Handler& h = handlers().at(handler);
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        const Window window = h.open(*state);
        QVERIFY(window->isVisible());
        if (h.prepare) {
            h.prepare(window.get());
        }
        const QStringList typed = typedTexts(window.get());
        Messages::clearShown();
        {
            StatementLog log(0);
            // A window the handler opens is closed again, as the user would.
            const ModalSteps closeOpened([](QWidget*) {});
            h.act(window.get());
            closeOpened.ran();
            QVERIFY2(log.failed(), "the handler did not reach the database");
        }
        QVERIFY(window->isVisible());
        QCOMPARE(typedTexts(window.get()), typed);
        QStringList shown;
        for (const Messages::Shown& box : Messages::shown()) {
            shown << box.title + u": "_s + box.text;
        }
        QVERIFY2(shown.join(u'\n').contains(u"injected failure"_s), qPrintable(shown.join(u'\n')));
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestFailingHandlers)
#include "test_failing_handlers.moc"
