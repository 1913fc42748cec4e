#include "foundation/form_widgets.h"
#include "foundation/list_helpers.h"
#include "foundation/twips.h"
#include "gui_helpers.h"
#include "test_support.h"

#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QList<ListColumn> kColumns{{u"名称"_s, 1500},
                                 {u"きわめて長い見出しの金額"_s, 300, Qt::AlignRight},
                                 {u"時間"_s, 900, Qt::AlignRight}};

int headingWidth(QTreeWidget* list, int column)
{
    return list->header()->sectionSizeHint(column);
}

// A window holding the row block as the editors use it: a clicked row is shown (recorded here)
// and chosen.
struct PanelWindow {
    explicit PanelWindow(bool withAdd = true)
    {
        auto* layout = new QVBoxLayout(&window);
        panel = new RowListPanel(&window, {withAdd ? u"cmdAdd"_s : QString(), u"cmdUpd"_s, u"cmdDel"_s,
                                           u"lvwRows"_s, u"cmdRUp"_s, u"cmdRDown"_s});
        panel->addTo(layout);
        panel->setColumns({{u"名称"_s, 1500}, {u"時間"_s, 900, Qt::AlignRight}});
        for (const char* key : {"K1", "K2", "K3"}) {
            auto* item = new QTreeWidgetItem(panel->list());
            SetItemKey(item, QString::fromLatin1(key));
            SetRowTexts(item, {u"行"_s + QString::fromLatin1(key), u"8"_s});
        }
        QObject::connect(panel, &RowListPanel::rowClicked, panel, [this](QTreeWidgetItem* item) {
            shown << ItemKey(item);
            panel->chooseRow(item);
        });
        QObject::connect(panel, &RowListPanel::applyRow, panel, [this](int mode) { applied << mode; });
        window.resize(400, 300);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            qFatal("window not shown");
        }
    }
    QTreeWidget* list() const { return panel->list(); }
    bool enabled(const char* name) const
    {
        return control<QPushButton>(&window, QString::fromLatin1(name))->isEnabled();
    }

    QWidget window;
    RowListPanel* panel;
    QStringList shown;
    QList<int> applied;
};

} // namespace

class TestFormWidgets : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Enter in a box presses no button the window made with NamedButton.
    void enterPressesNoNamedButton()
    {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        QLineEdit* box = NamedBox(&dialog, u"txtName"_s);
        QPushButton* add = NamedButton(&dialog, u"cmdAdd"_s, u"行追加"_s);
        layout->addWidget(box);
        layout->addWidget(add);
        int clicks = 0;
        connect(add, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        add->setFocus();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(clicks, 0);
        QVERIFY(dialog.isVisible());
        QCOMPARE(add->objectName(), u"cmdAdd"_s);
        QCOMPARE(add->text(), u"行追加"_s);
    }

    void newListTakesDefaultsAndHeadings()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, u"lvwList"_s);
        SetListColumns(list, kColumns);
        QCOMPARE(list->objectName(), u"lvwList"_s);
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(list->columnWidth(0), TwipsToPixels(1500));
        QCOMPARE(list->columnWidth(2), TwipsToPixels(900));
        // 300 twips would cut the heading.
        QVERIFY(TwipsToPixels(300) < headingWidth(list, 1));
        QCOMPARE(list->columnWidth(1), headingWidth(list, 1));
        QVERIFY(list->headerItem()->textAlignment(1) & Qt::AlignRight);
        QVERIFY(!list->header()->stretchLastSection());

        auto* item = new QTreeWidgetItem(list);
        SetRowTexts(item, {u"甲"_s, u"1,000"_s, u"8"_s});
        QCOMPARE(item->text(1), u"1,000"_s);
        QVERIFY(item->textAlignment(1) & Qt::AlignRight);
        QVERIFY(item->textAlignment(2) & Qt::AlignRight);
        QVERIFY(!(item->textAlignment(0) & Qt::AlignRight));
    }

    // A text column at the end takes the spare width; a figure column does not.
    void lastTextColumnStretches()
    {
        QTreeWidget* list = ReportList(nullptr, u"lvwList"_s);
        std::unique_ptr<QTreeWidget> owner(list);
        SetListColumns(list, {{u"名称"_s, 1500}, {u"コメント"_s, 3000}});
        QVERIFY(list->header()->stretchLastSection());
        SetListColumns(list, kColumns);
        QVERIFY(!list->header()->stretchLastSection());
    }

    // Setting the columns again clears the rows; a width the user gave stays, unless it would cut
    // the heading.
    void userWidthsSurviveARebuild()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, u"lvwList"_s);
        SetListColumns(list, kColumns);
        new QTreeWidgetItem(list, QStringList{u"甲"_s});
        list->setColumnWidth(0, 240);
        list->setColumnWidth(2, 2);
        SetListColumns(list, kColumns);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(list->columnWidth(0), 240);
        QCOMPARE(list->columnWidth(2), headingWidth(list, 2));
    }

    // Fitting widens the columns the user left alone to show their cells, narrows none and
    // leaves the user's widths.
    void fitWidensOnlyColumnsTheUserLeftAlone()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, u"lvwList"_s);
        SetListColumns(list, kColumns);
        const QString longName = u"とても長い名前の付いた項目をひとつ"_s;
        const QString longFigure = u"123,456,789,012,345"_s;
        auto* item = new QTreeWidgetItem(list);
        SetRowTexts(item, {longName, longFigure, longFigure});
        list->setColumnWidth(2, 50);
        const int wide = list->columnWidth(1);
        FitListColumns(list);
        QVERIFY(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(longName));
        QVERIFY(list->columnWidth(1) >= list->fontMetrics().horizontalAdvance(longFigure));
        QVERIFY(list->columnWidth(1) >= wide);
        QCOMPARE(list->columnWidth(2), 50);

        SetRowTexts(item, {u"短"_s, u"1"_s, u"1"_s});
        const int before = list->columnWidth(0);
        FitListColumns(list);
        QCOMPARE(list->columnWidth(0), before);
    }

    // One click shows a row once; a click on the chosen row shows it again (its values come back
    // over what was typed); the keyboard shows the row it reaches.
    void clicksAndKeysShowRows()
    {
        PanelWindow w;
        QCOMPARE(texts(&w.window, {"cmdAdd", "cmdUpd", "cmdDel"}),
                 (QStringList{"行追加", "行更新", "行削除"}));
        QVERIFY(!PanelWindow(false).window.findChild<QPushButton*>(u"cmdAdd"_s));
        clickRow(w.list(), 1);
        QCOMPARE(w.shown, QStringList{"K2"});
        QCOMPARE(w.panel->chosenKey(), u"K2"_s);
        QVERIFY(w.enabled("cmdUpd"));
        QVERIFY(w.enabled("cmdDel"));
        QVERIFY(w.enabled("cmdRUp"));
        QVERIFY(w.enabled("cmdRDown"));
        clickRow(w.list(), 1);
        QCOMPARE(w.shown, (QStringList{"K2", "K2"}));
        w.list()->setFocus();
        QTest::keyClick(w.list(), Qt::Key_Down);
        QCOMPARE(w.shown, (QStringList{"K2", "K2", "K3"}));
        QCOMPARE(ItemKey(w.panel->chosenRow()), u"K3"_s);

        clickButton(&w.window, u"cmdUpd"_s);
        clickButton(&w.window, u"cmdDel"_s);
        clickButton(&w.window, u"cmdAdd"_s);
        QCOMPARE(w.applied, (QList<int>{1, 2, 0}));
    }

    // The arrows move the chosen row without showing it again; a refusing check keeps it.
    void arrowsMoveTheChosenRow()
    {
        PanelWindow w;
        bool allow = true;
        QList<int> asked;
        w.panel->setMoveCheck([&](int offset) {
            asked << offset;
            return allow;
        });
        clickRow(w.list(), 0);
        w.shown.clear();
        clickButton(&w.window, u"cmdRDown"_s);
        clickButton(&w.window, u"cmdRDown"_s);
        QCOMPARE(columnTexts(w.list()), (QStringList{"行K2", "行K3", "行K1"}));
        QVERIFY(w.list()->topLevelItem(2)->isSelected());
        QCOMPARE(w.panel->chosenKey(), u"K1"_s);
        QVERIFY(w.shown.isEmpty());
        allow = false;
        clickButton(&w.window, u"cmdRUp"_s);
        QCOMPARE(columnTexts(w.list()), (QStringList{"行K2", "行K3", "行K1"}));
        QCOMPARE(asked, (QList<int>{1, 1, -1}));
    }

    // A row the window adds or updates becomes the chosen one, with its texts whole; new
    // columns forget it.
    void enteredRowIsChosen()
    {
        PanelWindow w;
        QVERIFY(!w.panel->rowToEnter(1)); // nothing chosen to update
        clickRow(w.list(), 0);
        w.shown.clear();
        QTreeWidgetItem* added = w.panel->rowToEnter(0);
        QCOMPARE(w.list()->indexOfTopLevelItem(added), 3);
        const QString longName = u"新しく加えたとても長い名前の行"_s;
        w.panel->enterRow(added, u"K4"_s, {longName, u"12"_s});
        QVERIFY(w.shown.isEmpty());
        QCOMPARE(SelectedItem(w.list()), added);
        QCOMPARE(w.panel->chosenKey(), u"K4"_s);
        QVERIFY(added->textAlignment(1) & Qt::AlignRight);
        QVERIFY(w.list()->columnWidth(0) >= w.list()->fontMetrics().horizontalAdvance(longName));
        QVERIFY(w.enabled("cmdUpd"));

        QCOMPARE(w.panel->rowToEnter(1), added);
        w.panel->enterRow(added, u"K5"_s, {u"改名"_s, u"3"_s});
        QCOMPARE(w.list()->topLevelItemCount(), 4);
        QCOMPARE(w.panel->chosenRow(), added);
        QCOMPARE(ItemKey(added), u"K5"_s);

        w.panel->setColumns({{u"名称"_s, 1500}});
        QCOMPARE(w.list()->topLevelItemCount(), 0);
        QVERIFY(w.panel->chosenKey().isEmpty());
        QVERIFY(!w.enabled("cmdUpd"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestFormWidgets)
#include "test_form_widgets.moc"
