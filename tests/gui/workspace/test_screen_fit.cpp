#include "../estimation/estimation_fixtures.h"
#include "connection/conn_str_dialog.h"
#include "estimation/function_editor.h"
#include "estimation/member_replacement.h"
#include "estimation/work_assignment.h"
#include "help/help.h"
#include "help/help_window.h"
#include "masters/about_box.h"
#include "masters/master_editors.h"
#include "pricing/policy_dialog.h"
#include "pricing/price_kinds.h"
#include "pricing/quotation.h"
#include "project/project_editor.h"
#include "settings/settings.h"
#include "workspace/main_window.h"

#include <QScreen>
#include <QScrollArea>
#include <functional>

// Run on small and scaled screens (the test command gives each run its screen): no window is
// larger than the screen's available area, and every window's own buttons are on the screen,
// whatever its pages hold.
namespace {

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The buttons of the window itself, not those of a page that scrolls.
QList<QPushButton*> windowButtons(QWidget* window)
{
    QList<QPushButton*> buttons;
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        bool onPage = false;
        for (QWidget* w = button->parentWidget(); w && w != window; w = w->parentWidget()) {
            onPage = onPage || qobject_cast<QScrollArea*>(w);
        }
        if (!onPage && button->isVisible()) {
            buttons << button;
        }
    }
    return buttons;
}

void checkFits(QWidget* window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect area = screenArea();
    const QString name = window->objectName();
    QVERIFY2(area.contains(window->frameGeometry()),
             qPrintable(name + u" "_s + QString::number(window->frameGeometry().width()) + u"x"_s +
                        QString::number(window->frameGeometry().height())));
    const QList<QPushButton*> buttons = windowButtons(window);
    QVERIFY2(!buttons.isEmpty(), qPrintable(name));
    for (QPushButton* button : buttons) {
        const QRect shown(button->mapToGlobal(QPoint(0, 0)), button->size());
        QVERIFY2(area.contains(shown), qPrintable(name + u" "_s + button->objectName()));
        // Not hidden behind the window's edge either.
        QVERIFY2(window->rect().contains(QRect(button->mapTo(window, QPoint(0, 0)), button->size())),
                 qPrintable(name + u" "_s + button->objectName()));
    }
}

} // namespace

class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    void init() { m_s = std::make_unique<DemoSession>(); }
    void cleanup() { m_s.reset(); }

    void editorsFitTheScreen_data()
    {
        QTest::addColumn<QString>("editor");
        for (const char* editor : {"frmProj new", "frmProj", "frmFunc", "frmFunc charge", "frmCharge",
                                   "frmMembChg", "frmPolicy", "frmCalc", "frmPri", "frmPri charge", "frmCust",
                                   "frmLang", "frmMember", "frmItem", "frmAbout", "frmConnStr", "frmHelp"}) {
            QTest::newRow(editor) << QString::fromLatin1(editor);
        }
    }
    void editorsFitTheScreen()
    {
        QFETCH(QString, editor);
        const bool charge = editor.endsWith(u" charge"_s);
        AppState& s = m_s->open(editor == u"frmProj new"_s ? 0 : 1, charge);
        s.EditMode = editor == u"frmProj new"_s ? 0 : 1;
        // Every editor opens from the main window, as in the program.
        MainWindow main(s);
        checkFitsMain(main);
        QWidget* const parent = &main;
        std::unique_ptr<QWidget> window;
        FunctionEditor* owner = nullptr; // the main window's
        const QString name = editor.section(u' ', 0, 0);
        if (name == u"frmProj"_s) {
            window = std::make_unique<ProjectEditor>(s, parent);
        } else if (name == u"frmFunc"_s) {
            window = std::make_unique<FunctionEditor>(s, parent);
        } else if (name == u"frmCharge"_s) {
            s.policy.Charge = true;
            owner = new FunctionEditor(s, parent);
            s.ChargeProc = 2;
            window = std::make_unique<WorkAssignment>(s, owner);
        } else if (name == u"frmMembChg"_s) {
            window = std::make_unique<MemberReplacementDialog>(s, parent);
        } else if (name == u"frmPolicy"_s) {
            window = std::make_unique<PolicyDialog>(s, parent);
        } else if (name == u"frmCalc"_s) {
            window =
                std::make_unique<QuotationDialog>(s, QuoteSources{u"100,000"_s, {1, 2, 0}, 3, 4}, parent);
        } else if (name == u"frmPri"_s) {
            window = std::make_unique<PriceKindEditor>(s, parent);
        } else if (name == u"frmCust"_s) {
            window = std::make_unique<CustomerEditor>(s, parent);
        } else if (name == u"frmLang"_s) {
            window = std::make_unique<LanguageEditor>(s, parent);
        } else if (name == u"frmMember"_s) {
            window = std::make_unique<MemberEditor>(s, parent);
        } else if (name == u"frmItem"_s) {
            window = std::make_unique<ItemEditor>(s, parent);
        } else if (name == u"frmAbout"_s) {
            window = std::make_unique<AboutBox>(parent);
        } else if (name == u"frmConnStr"_s) {
            window = std::make_unique<ConnStrDialog>(parent);
        } else {
            window = std::make_unique<HelpWindow>(parent);
            Help::setFolder(QCoreApplication::applicationDirPath() + u"/help"_s);
            static_cast<HelpWindow*>(window.get())->showPage(u"52.html"_s);
        }
        QCOMPARE(window->objectName(), name);
        checkFits(window.get());
        QVERIFY(Messages::shown().isEmpty());
    }

    // At first start the main window fits the screen and its tree shows the projects' names
    // whole beside a list that keeps its figures' columns.
    void mainWindowAtFirstStart()
    {
        MainWindow window(*m_s->state);
        checkFitsMain(window);
        auto* tree = control<QTreeWidget>(&window, u"tvwPList"_s);
        QTreeWidgetItemIterator it(tree);
        int names = 0;
        for (; *it; ++it) {
            if (!tree->visualItemRect(*it).isValid()) {
                continue; // collapsed beneath its parent
            }
            ++names;
            const int textEnd = tree->visualItemRect(*it).left() + tree->iconSize().width() +
                                tree->fontMetrics().horizontalAdvance((*it)->text(0));
            QVERIFY2(textEnd <= tree->viewport()->width(), qPrintable((*it)->text(0)));
        }
        QVERIFY(names >= 3);
    }

private:
    static void checkFitsMain(MainWindow& window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(screenArea().contains(window.frameGeometry()));
    }

    std::unique_ptr<DemoSession> m_s;
};

QTEST_MAIN(TestScreenFit)
#include "test_screen_fit.moc"
