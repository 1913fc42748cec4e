#include "foundation/form_widgets.h"
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

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestFormWidgets)
#include "test_form_widgets.moc"
