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

const QList<ListColumn> kColumns{{QStringLiteral("名称"), 1500},
                                 {QStringLiteral("きわめて長い見出しの金額"), 300, Qt::AlignRight},
                                 {QStringLiteral("時間"), 900, Qt::AlignRight}};

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
        panel = new RowListPanel(&window,
                                 {withAdd ? QStringLiteral("cmdAdd") : QString(), QStringLiteral("cmdUpd"),
                                  QStringLiteral("cmdDel"), QStringLiteral("lvwRows"),
                                  QStringLiteral("cmdRUp"), QStringLiteral("cmdRDown")});
        panel->addTo(layout);
        panel->setColumns({{QStringLiteral("名称"), 1500}, {QStringLiteral("時間"), 900, Qt::AlignRight}});
        for (const char* key : {"K1", "K2", "K3"}) {
            auto* item = new QTreeWidgetItem(panel->list());
            SetItemKey(item, QString::fromLatin1(key));
            SetRowTexts(item, {QStringLiteral("行") + QString::fromLatin1(key), QStringLiteral("8")});
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
        QLineEdit* box = NamedBox(&dialog, QStringLiteral("txtName"));
        QPushButton* add = NamedButton(&dialog, QStringLiteral("cmdAdd"), QStringLiteral("行追加"));
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
        QCOMPARE(add->objectName(), QStringLiteral("cmdAdd"));
        QCOMPARE(add->text(), QStringLiteral("行追加"));
    }

    void newListTakesDefaultsAndHeadings()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, QStringLiteral("lvwList"));
        SetListColumns(list, kColumns);
        QCOMPARE(list->objectName(), QStringLiteral("lvwList"));
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(list->columnWidth(0), TwipsToPixels(1500));
        QCOMPARE(list->columnWidth(2), TwipsToPixels(900));
        // 300 twips would cut the heading.
        QVERIFY(TwipsToPixels(300) < headingWidth(list, 1));
        QCOMPARE(list->columnWidth(1), headingWidth(list, 1));
        QVERIFY(list->headerItem()->textAlignment(1) & Qt::AlignRight);
        QVERIFY(!list->header()->stretchLastSection());

        auto* item = new QTreeWidgetItem(list);
        SetRowTexts(item, {QStringLiteral("甲"), QStringLiteral("1,000"), QStringLiteral("8")});
        QCOMPARE(item->text(1), QStringLiteral("1,000"));
        QVERIFY(item->textAlignment(1) & Qt::AlignRight);
        QVERIFY(item->textAlignment(2) & Qt::AlignRight);
        QVERIFY(!(item->textAlignment(0) & Qt::AlignRight));
    }

    // A text column at the end takes the spare width; a figure column does not.
    void lastTextColumnStretches()
    {
        QTreeWidget* list = ReportList(nullptr, QStringLiteral("lvwList"));
        std::unique_ptr<QTreeWidget> owner(list);
        SetListColumns(list, {{QStringLiteral("名称"), 1500}, {QStringLiteral("コメント"), 3000}});
        QVERIFY(list->header()->stretchLastSection());
        SetListColumns(list, kColumns);
        QVERIFY(!list->header()->stretchLastSection());
    }

    // Setting the columns again clears the rows; a width the user gave stays, unless it would cut
    // the heading.
    void userWidthsSurviveARebuild()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, QStringLiteral("lvwList"));
        SetListColumns(list, kColumns);
        new QTreeWidgetItem(list, QStringList{QStringLiteral("甲")});
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
        QTreeWidget* list = ReportList(&window, QStringLiteral("lvwList"));
        SetListColumns(list, kColumns);
        const QString longName = QStringLiteral("とても長い名前の付いた項目をひとつ");
        const QString longFigure = QStringLiteral("123,456,789,012,345");
        auto* item = new QTreeWidgetItem(list);
        SetRowTexts(item, {longName, longFigure, longFigure});
        list->setColumnWidth(2, 50);
        const int wide = list->columnWidth(1);
        FitListColumns(list);
        QVERIFY(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(longName));
        QVERIFY(list->columnWidth(1) >= list->fontMetrics().horizontalAdvance(longFigure));
        QVERIFY(list->columnWidth(1) >= wide);
        QCOMPARE(list->columnWidth(2), 50);

        SetRowTexts(item, {QStringLiteral("短"), QStringLiteral("1"), QStringLiteral("1")});
        const int before = list->columnWidth(0);
        FitListColumns(list);
        QCOMPARE(list->columnWidth(0), before);
    }

    void panelStartsWithNothingChosen()
    {
        PanelWindow w;
        for (const char* name : {"cmdUpd", "cmdDel", "cmdRUp", "cmdRDown"}) {
            QVERIFY2(!w.enabled(name), name);
        }
        QVERIFY(w.enabled("cmdAdd"));
        QCOMPARE(control<QPushButton>(&w.window, QStringLiteral("cmdAdd"))->text(), QStringLiteral("行追加"));
        QCOMPARE(control<QPushButton>(&w.window, QStringLiteral("cmdUpd"))->text(), QStringLiteral("行更新"));
        QCOMPARE(control<QPushButton>(&w.window, QStringLiteral("cmdDel"))->text(), QStringLiteral("行削除"));
        QVERIFY(w.panel->chosenKey().isEmpty());
        PanelWindow renameOnly(false);
        QVERIFY(!renameOnly.window.findChild<QPushButton*>(QStringLiteral("cmdAdd")));
        QVERIFY(!renameOnly.panel->addButton());
    }

    // One click shows a row once; a click on the chosen row shows it again (its values come back
    // over what was typed); the keyboard shows the row it reaches.
    void clicksAndKeysShowRows()
    {
        PanelWindow w;
        clickRow(w.list(), 1);
        QCOMPARE(w.shown, QStringList{"K2"});
        QCOMPARE(w.panel->chosenKey(), QStringLiteral("K2"));
        QVERIFY(w.enabled("cmdUpd"));
        QVERIFY(w.enabled("cmdDel"));
        QVERIFY(w.enabled("cmdRUp"));
        QVERIFY(w.enabled("cmdRDown"));
        clickRow(w.list(), 1);
        QCOMPARE(w.shown, (QStringList{"K2", "K2"}));
        w.list()->setFocus();
        QTest::keyClick(w.list(), Qt::Key_Down);
        QCOMPARE(w.shown, (QStringList{"K2", "K2", "K3"}));
        QCOMPARE(ItemKey(w.panel->chosenRow()), QStringLiteral("K3"));

        clickButton(&w.window, QStringLiteral("cmdUpd"));
        clickButton(&w.window, QStringLiteral("cmdDel"));
        clickButton(&w.window, QStringLiteral("cmdAdd"));
        QCOMPARE(w.applied, (QList<int>{1, 2, 0}));
    }

    // With a single row there is nothing to move it past.
    void arrowsNeedASecondRow()
    {
        PanelWindow w;
        delete w.list()->topLevelItem(2);
        delete w.list()->topLevelItem(1);
        clickRow(w.list(), 0);
        QVERIFY(w.enabled("cmdUpd"));
        QVERIFY(!w.enabled("cmdRUp"));
        QVERIFY(!w.enabled("cmdRDown"));
    }

    // A click beside the rows, which clears the selection of a plain list, leaves the chosen row
    // selected, so that a duplicate check skipping the selected row still skips the row being
    // edited.
    void chosenRowStaysSelected()
    {
        PanelWindow w;
        clickRow(w.list(), 0);
        w.shown.clear();
        QTreeWidgetItem* first = w.list()->topLevelItem(0);
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(10, w.list()->viewport()->height() - 5));
        QVERIFY(first->isSelected());
        QCOMPARE(SelectedItem(w.list()), first);
        QVERIFY(w.enabled("cmdUpd"));
        QVERIFY(w.shown.isEmpty());
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
        clickButton(&w.window, QStringLiteral("cmdRDown"));
        clickButton(&w.window, QStringLiteral("cmdRDown"));
        QCOMPARE(columnTexts(w.list()), (QStringList{"行K2", "行K3", "行K1"}));
        QVERIFY(w.list()->topLevelItem(2)->isSelected());
        QCOMPARE(w.panel->chosenKey(), QStringLiteral("K1"));
        QVERIFY(w.shown.isEmpty());
        allow = false;
        clickButton(&w.window, QStringLiteral("cmdRUp"));
        QCOMPARE(columnTexts(w.list()), (QStringList{"行K2", "行K3", "行K1"}));
        QCOMPARE(asked, (QList<int>{1, 1, -1}));
    }

    // Deleting leaves no neighbour looking chosen; update, delete and the arrows wait for a click.
    void removedRowLeavesNothingChosen()
    {
        PanelWindow w;
        clickRow(w.list(), 1);
        w.shown.clear();
        w.panel->removeChosenRow();
        QCOMPARE(columnTexts(w.list()), (QStringList{"行K1", "行K3"}));
        QVERIFY(w.list()->selectedItems().isEmpty());
        QVERIFY(!w.panel->chosenRow());
        for (const char* name : {"cmdUpd", "cmdDel", "cmdRUp", "cmdRDown"}) {
            QVERIFY2(!w.enabled(name), name);
        }
        QVERIFY(w.shown.isEmpty());
        clickRow(w.list(), 1);
        QCOMPARE(w.panel->chosenKey(), QStringLiteral("K3"));
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
        const QString longName = QStringLiteral("新しく加えたとても長い名前の行");
        w.panel->enterRow(added, QStringLiteral("K4"), {longName, QStringLiteral("12")});
        QVERIFY(w.shown.isEmpty());
        QCOMPARE(SelectedItem(w.list()), added);
        QCOMPARE(w.panel->chosenKey(), QStringLiteral("K4"));
        QVERIFY(added->textAlignment(1) & Qt::AlignRight);
        QVERIFY(w.list()->columnWidth(0) >= w.list()->fontMetrics().horizontalAdvance(longName));
        QVERIFY(w.enabled("cmdUpd"));

        QCOMPARE(w.panel->rowToEnter(1), added);
        w.panel->enterRow(added, QStringLiteral("K5"), {QStringLiteral("改名"), QStringLiteral("3")});
        QCOMPARE(w.list()->topLevelItemCount(), 4);
        QCOMPARE(w.panel->chosenRow(), added);
        QCOMPARE(ItemKey(added), QStringLiteral("K5"));

        w.panel->setColumns({{QStringLiteral("名称"), 1500}});
        QCOMPARE(w.list()->topLevelItemCount(), 0);
        QVERIFY(w.panel->chosenKey().isEmpty());
        QVERIFY(!w.enabled("cmdUpd"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestFormWidgets)
#include "test_form_widgets.moc"
