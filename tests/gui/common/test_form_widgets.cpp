#include "common/dialog_placement.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/twips.h"
#include "common/wait_cursor.h"
#include "gui_helpers.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QList<ListColumn> kColumns{{u"名称"_s, 1500},
                                 {u"きわめて長い見出しの金額"_s, 300, Qt::AlignRight},
                                 {u"時間"_s, 900, Qt::AlignRight}};

int headingWidth(QTreeWidget* list, int column)
{
    return list->header()->sectionSizeHint(column);
}

// Types text character by character, as a keyboard or an input method delivers it; "\b" is
// the backspace key.
void type(QLineEdit* box, const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\b') {
            QTest::keyClick(box, Qt::Key_Backspace);
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

// An editor of a new record.
class Editor : public GuardedDialog {
public:
    using GuardedDialog::GuardedDialog;

protected:
    int updatingMode() const override { return 0; }
};

} // namespace

// The building blocks of the windows, driven as a user drives them.
class TestFormWidgets : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Nested waits show one hourglass; a pause (a message box or a modal editor in the middle of
    // a command) brings the normal pointer back until it ends, and a wait inside the pause (the
    // editor reading its rows) shows the hourglass again.
    void waitCursorNests()
    {
        const auto pointer = [] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            return cursor ? int(cursor->shape()) : -1;
        };
        const int wait = Qt::WaitCursor;
        QCOMPARE(pointer(), -1);
        {
            const WaitCursor command;
            QCOMPARE(pointer(), wait);
            {
                const WaitCursor statement;
                QCOMPARE(pointer(), wait);
            }
            QCOMPARE(pointer(), wait);
            {
                const WaitCursor::Pause editor;
                QCOMPARE(pointer(), -1);
                QVERIFY(!WaitCursor::shown());
                {
                    const WaitCursor loading;
                    QCOMPARE(pointer(), wait);
                }
                QCOMPARE(pointer(), -1);
            }
            QCOMPARE(pointer(), wait);
        }
        QCOMPARE(pointer(), -1);
        QVERIFY(!WaitCursor::shown());
    }

    // A number past the 16-bit (ToInt) or 32-bit (ToLng) range is warned about once, with the one
    // fixed text, and counts 0; a number in range or an empty text passes without a word.
    void overflowWarning_data()
    {
        addColumns<QVariant, bool, int, bool>({"value", "wide", "expected", "overflow"});
        QTest::newRow("empty") << QVariant(QString()) << false << 0 << false;
        QTest::newRow("32767") << QVariant(u"32767"_s) << false << 32767 << false;
        QTest::newRow("40000") << QVariant(u"40000"_s) << false << 0 << true;
        QTest::newRow("not a number") << QVariant(u"abc"_s) << false << 0 << true;
        QTest::newRow("40000 wide") << QVariant(u"40000"_s) << true << 40000 << false;
        QTest::newRow("long over") << QVariant(u"2147483648"_s) << true << 0 << true;
    }
    void overflowWarning()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, wide);
        QFETCH(int, expected);
        QFETCH(bool, overflow);
        QCOMPARE(WarnOnOverflow(wide ? ToLng(value) : ToInt(value)), expected);
        QCOMPARE(Messages::shown().size(), overflow ? 1 : 0);
        if (overflow) {
            COMPARE_LAST_MESSAGE(
                u"オーバフロー"_s,
                u"オーバーフローしました。\n工数とその合計値として32767を超える数値は扱えません。\n"
                u"オーバフローした数値は０に置き換えて計算しました。\n"
                u"オーバフローしない数値に修正してください。"_s,
                Messages::Critical);
        }
    }

    // Columns in twips, never narrower than their heading. Fitting widens the columns the user
    // left alone to show their cells and leaves the user's widths; setting the columns again
    // clears the rows and keeps a width the user gave unless it cuts the heading.
    void listColumns()
    {
        QWidget window;
        QTreeWidget* list = ReportList(&window, u"lvwList"_s);
        SetListColumns(list, kColumns);
        QCOMPARE(list->columnWidth(0), TwipsToPixels(1500));
        QVERIFY(TwipsToPixels(300) < headingWidth(list, 1));
        QCOMPARE(list->columnWidth(1), headingWidth(list, 1));

        const QString longName = u"とても長い名前の付いた項目をひとつ"_s;
        SetRowTexts(new QTreeWidgetItem(list), {longName, u"1"_s, u"123,456,789,012,345"_s});
        list->setColumnWidth(2, 50);
        FitListColumns(list);
        QVERIFY(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(longName));
        QCOMPARE(list->columnWidth(2), 50);

        list->setColumnWidth(0, 240);
        list->setColumnWidth(2, 2);
        SetListColumns(list, kColumns);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(list->columnWidth(0), 240);
        QCOMPARE(list->columnWidth(2), headingWidth(list, 2));
    }

    // One click shows a row once; a click on the chosen row shows it again (its values come back
    // over what was typed); the keyboard shows the row it reaches. A refusing check keeps the
    // chosen row where it is. A row the window adds becomes the chosen one, with its texts whole;
    // new columns forget it. The master and project editors drive the buttons themselves.
    void rowPanel()
    {
        // The row block as the editors use it: a clicked row is shown (recorded here) and chosen.
        QWidget window;
        auto* panel = new RowListPanel(
            &window, {u"cmdAdd"_s, u"cmdUpd"_s, u"cmdDel"_s, u"lvwRows"_s, u"cmdRUp"_s, u"cmdRDown"_s});
        panel->addTo(new QVBoxLayout(&window));
        panel->setColumns({{u"名称"_s, 1500}, {u"時間"_s, 900, Qt::AlignRight}});
        QTreeWidget* list = panel->list();
        for (const QString& key : {u"K1"_s, u"K2"_s, u"K3"_s}) {
            SetItemKey(new QTreeWidgetItem(list, {u"行"_s + key, u"8"_s}), key);
        }
        QStringList shown;
        QObject::connect(panel, &RowListPanel::rowClicked, panel, [&](QTreeWidgetItem* item) {
            shown << ItemKey(item);
            panel->chooseRow(item);
        });
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        clickRow(list, 1);
        clickRow(list, 1);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(shown, (QStringList{"K2", "K2", "K3"}));
        QCOMPARE(panel->chosenKey(), u"K3"_s);

        QList<int> asked;
        panel->setMoveCheck([&](int offset) {
            asked << offset;
            return false;
        });
        clickButton(&window, u"cmdRUp"_s);
        QCOMPARE(asked, QList<int>{-1});
        QCOMPARE(columnTexts(list), (QStringList{"行K1", "行K2", "行K3"}));

        QTreeWidgetItem* added = panel->rowToEnter(0);
        QCOMPARE(list->indexOfTopLevelItem(added), 3);
        const QString longName = u"新しく加えたとても長い名前の行"_s;
        panel->enterRow(added, u"K4"_s, {longName, u"12"_s});
        QCOMPARE(shown.size(), 3);
        QCOMPARE(SelectedItem(list), added);
        QCOMPARE(panel->chosenKey(), u"K4"_s);
        QVERIFY(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(longName));
        panel->setColumns({{u"名称"_s, 1500}});
        QVERIFY(panel->chosenKey().isEmpty());
        QVERIFY(!control<QPushButton>(&window, u"cmdUpd"_s)->isEnabled());
    }

    // The filters on real boxes, typed into key by key or pasted into.
    void filteredBox_data()
    {
        addColumns<int, bool, QString, QString>({"filter", "pasted", "input", "expected"});
        const int digits = 0, number = 1, date = 2;
        QTest::newRow("letters and signs dropped") << digits << false << u"1a-2,b3"_s << u"123"_s;
        QTest::newRow("point never typed") << number << false << u"12.5"_s << u"125"_s;
        QTest::newRow("full width") << number << false << u"－９，８７６"_s << u"-9,876"_s;
        QTest::newRow("late minus cleaned") << number << false << u"12-3"_s << u"123"_s;
        QTest::newRow("date typed") << date << false << u"200312a-24"_s << u"2003/12/24"_s;
        QTest::newRow("date pasted") << date << true << u"2003-12-24"_s << u"2003/12/24"_s;
        QTest::newRow("date full width") << date << false << u"２００３１２２４"_s << u"2003/12/24"_s;
        // Backspace over a slash takes the digit before it too.
        QTest::newRow("date backspace") << date << false << u"200312\b"_s << u"2003/1"_s;
    }
    void filteredBox()
    {
        QFETCH(int, filter);
        QFETCH(bool, pasted);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QLineEdit box;
        if (filter == 2) {
            AttachDateFilter(&box);
        } else {
            AttachNumericFilter(&box, filter == 1, false);
        }
        box.show();
        if (pasted) {
            QApplication::clipboard()->setText(input);
            box.paste();
        } else {
            type(&box, input);
        }
        QCOMPARE(box.text(), expected);
    }

    // A number pasted from a document is taken once cleaned of blanks, "¥", "円" and full-width
    // forms, if it is then one plain number the box can hold: commas only between groups of
    // three, a sign where the box allows one, a decimal point only in a box of hours. Anything
    // else is refused and the box keeps its text. The paste keys, the context menu and a drop
    // paste alike.
    void pastedNumbers_data()
    {
        addColumns<QString, int, QString, QString>({"route", "box", "pasted", "expected"}); // "": refused
        const int digits = 0, amount = 1, hours = 2;
        const struct {
            const char* name;
            int box;
            QString pasted;
            QString expected;
        } cases[] = {
            {"exponent", amount, u"1e5"_s, QString()},
            {"dots as grouping", amount, u"1.234.567"_s, QString()},
            {"yen sign", amount, u"¥1,200"_s, u"1,200"_s},
            {"full-width yen and 円", amount, u"￥１５，０００円"_s, u"15,000"_s},
            {"full-width digits", amount, u"１２３"_s, u"123"_s},
            {"blanks around", amount, u" 12 \n"_s, u"12"_s},
            {"円 behind", amount, u"12円"_s, u"12"_s},
            {"two signs", amount, u"--1"_s, QString()},
            {"commas not grouping", amount, u"1,2,3"_s, QString()},
            {"grouping", amount, u"-1,234,567"_s, u"-1,234,567"_s},
            {"letters", amount, u"a-1,2b"_s, QString()},
            {"words around", amount, u"価格 １５，０００円"_s, QString()},
            {"decimal in an amount", amount, u"12.5"_s, QString()},
            {"sign where none is typed", digits, u"-5"_s, QString()},
            {"grouping where none is typed", digits, u"1,500"_s, u"1,500"_s},
            {"decimal hours", hours, u"12.5"_s, u"12.5"_s},
            {"two decimal points", hours, u"1.2.5"_s, QString()},
        };
        for (const char* route : {"keys", "context menu", "drop"}) {
            for (const auto& c : cases) {
                QTest::addRow("%s: %s", route, c.name)
                    << QString::fromLatin1(route) << c.box << c.pasted << c.expected;
            }
        }
    }
    void pastedNumbers()
    {
        QFETCH(QString, route);
        QFETCH(int, box);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        QLineEdit edit;
        AttachNumericFilter(&edit, box != 0, false, box == 2);
        edit.show();
        // A paste replaces the selection; a drop goes where it is dropped, here into an empty box.
        const QString before = route == u"drop"_s ? QString() : u"7"_s;
        edit.setText(before);
        edit.selectAll();
        Messages::clearShown();
        QApplication::clipboard()->setText(pasted);
        if (route == u"keys"_s) {
            QTest::keySequence(&edit, QKeySequence::Paste);
        } else if (route == u"context menu"_s) {
            bool triggered = false;
            QTimer::singleShot(0, [&triggered] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                const QString keys = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
                for (QAction* action : menu ? menu->actions() : QList<QAction*>()) {
                    if (action->text().endsWith(keys)) {
                        action->trigger();
                        triggered = true;
                    }
                }
                if (menu) {
                    menu->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                    edit.mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(&edit, &event);
            QTRY_VERIFY(triggered);
        } else {
            QMimeData data;
            data.setText(pasted);
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&edit, &enter);
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&edit, &drop);
        }
        if (expected.isEmpty()) {
            QCOMPARE(edit.text(), before);
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"入力確認"_s, u"数値として貼り付けられません。"_s, Messages::Information);
        } else {
            QCOMPARE(edit.text(), expected);
            QVERIFY(Messages::shown().isEmpty());
        }
    }

    // The editing keys still work; leaving the box groups the number, but a half-typed one is
    // left for the user to finish and refused by the check.
    void numericBoxEditingAndLeaving()
    {
        QWidget window;
        auto* amount = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        AttachNumericFilter(amount, true, true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        amount->setFocus();
        QTest::keyClicks(amount, u"12345"_s);
        for (const Qt::Key key :
             {Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Left, Qt::Key_Backspace}) {
            QTest::keyClick(amount, key);
        }
        QCOMPARE(amount->text(), u"235"_s);
        QTest::keyClick(amount, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(amount->text(), u"2345"_s);
        amount->setText(u"1234567"_s);
        other->setFocus();
        QCOMPARE(amount->text(), u"1,234,567"_s);
        amount->setFocus();
        amount->setText(u"-"_s);
        other->setFocus();
        QCOMPARE(amount->text(), u"-"_s);
        QVERIFY(!CheckNumberBox(&window, u"単価"_s, amount));
        amount->clear();
        QVERIFY(CheckNumberBox(&window, u"単価"_s, amount));
    }

    // A text box holds its column's characters, an emoji counting as one: typing stops at the
    // limit, a paste or a programmatic text is cut there, and never between the two halves of a
    // surrogate pair, wherever the caret is. A multi-line box the same.
    void textLimits_data()
    {
        addColumns<bool, QString, QString, QString>({"memo", "before", "entered", "expected"});
        const QString nine(9, u'あ');
        QTest::newRow("typed beyond") << false << nine << u"いう"_s << nine + u"い"_s;
        QTest::newRow("emoji at the limit") << false << nine << u"😀😀"_s << nine + u"😀"_s;
        QTest::newRow("emoji after the limit") << false << nine + u"x"_s << u"😀"_s << nine + u"x"_s;
        QTest::newRow("emoji counted once") << false << u"😀😀😀😀😀😀😀😀"_s << u"😀😀😀"_s << u"😀😀😀😀😀😀😀😀😀😀"_s;
        QTest::newRow("set whole") << false << QString() << QString(12, u'a') << QString(10, u'a');
        QTest::newRow("memo pasted") << true << nine << u"😀😀\n"_s << nine + u"😀"_s;
        QTest::newRow("memo set whole") << true << QString() << u"123456789😀😀"_s << u"123456789😀"_s;
    }
    void textLimits()
    {
        QFETCH(bool, memo);
        QFETCH(QString, before);
        QFETCH(QString, entered);
        QFETCH(QString, expected);
        QWidget window;
        auto* line = new QLineEdit(&window);
        auto* multi = new QPlainTextEdit(&window);
        LimitText(line, 10);
        LimitText(multi, 10);
        window.show();
        if (memo) {
            multi->setPlainText(before);
            multi->moveCursor(QTextCursor::End);
            if (before.isEmpty()) {
                multi->setPlainText(entered);
            } else {
                QApplication::clipboard()->setText(entered);
                multi->paste();
            }
            QCOMPARE(multi->toPlainText(), expected);
            return;
        }
        line->setText(before);
        if (before.isEmpty()) {
            line->setText(entered);
        } else {
            line->end(false);
            // Key by key, as a keyboard or an input method delivers them: an emoji in one key.
            for (int i = 0; i < entered.size(); ++i) {
                const int units = entered.at(i).isHighSurrogate() ? 2 : 1;
                QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, entered.mid(i, units));
                QApplication::sendEvent(line, &key);
                i += units - 1;
            }
        }
        QCOMPARE(line->text(), expected);
        // The same entered in the middle keeps the end of the text.
        if (!before.isEmpty()) {
            line->setText(u"末"_s + before);
            line->setCursorPosition(1);
            line->insert(entered);
            QVERIFY(!HasLoneSurrogate(line->text()));
            QCOMPARE(CharacterCount(line->text()), qMin(10, CharacterCount(u"末"_s + before + entered)));
            QVERIFY(line->text().endsWith(before));
        }
    }

    // A save takes a box's text only when it is whole characters and fits the column as the
    // engine counts it: SQL Server counts an emoji twice.
    void textCheckAtSave_data()
    {
        addColumns<int, QString, QString>({"engine", "text", "refusal"});
        const int lite = int(Engine::SQLite), pg = int(Engine::PostgreSQL), ms = int(Engine::SQLServer);
        QTest::newRow("fits") << lite << u"😀😀😀😀😀"_s << QString();
        QTest::newRow("fits on the server") << pg << u"😀😀😀😀😀"_s << QString();
        QTest::newRow("too long for SQL Server")
            << ms << u"😀😀😀"_s << u"サイズオーバ:名称の文字列が長すぎます。"_s;
        QTest::newRow("just fits SQL Server") << ms << u"ab😀"_s << QString();
        QTest::newRow("half a pair") << lite << u"a"_s + QChar(0xD83D) + u"b"_s
                                     << u"入力確認:名称の値が正しくありません。"_s;
        QTest::newRow("other half") << pg << QChar(0xDE00) + u"b"_s
                                    << u"入力確認:名称の値が正しくありません。"_s;
    }
    void textCheckAtSave()
    {
        QFETCH(int, engine);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        QWidget window;
        auto* box = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        LimitText(box, 5);
        box->setText(text);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QCOMPARE(CheckTextBox(&window, static_cast<Engine>(engine), u"名称"_s, box), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
            return;
        }
        QCOMPARE(Messages::last().title + u':' + Messages::last().text, refusal);
        QVERIFY(box->hasFocus());
    }

    // A count (quantity, hours) is a whole number; other numbers may have decimals.
    void wholeNumbers_data()
    {
        addColumns<QString, bool>({"text", "whole"});
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("whole") << u"1,200"_s << true;
        QTest::newRow("point zero") << u"3.0"_s << true;
        QTest::newRow("fraction") << u"2.5"_s << false;
        QTest::newRow("no number") << u"-"_s << false;
    }
    void wholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        QWidget window;
        auto* box = new QLineEdit(&window);
        box->setText(text);
        QCOMPARE(CheckWholeNumberBox(&window, u"数量"_s, box), whole);
        QCOMPARE(CheckNumberBox(&window, u"数量"_s, box), whole || text != u"-"_s);
        if (!whole) {
            COMPARE_LAST_MESSAGE(u"入力確認"_s, u"数量の値が正しくありません。"_s, Messages::Information);
        }
    }

    // The first editor opens centred, every later one where the last was closed; a stored place
    // off the screen is pulled back inside it.
    void dialogPlacement()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        PlacedDialog first;
        first.resize(300, 200);
        first.show();
        QVERIFY(qAbs(first.frameGeometry().center().x() - area.center().x()) <= 2);
        QVERIFY(qAbs(first.frameGeometry().center().y() - area.center().y()) <= 2);
        first.move(40, 60);
        first.accept();
        QCOMPARE(StoredSetting(u"Settings"_s, u"SubLeft"_s), u"600"_s);
        QCOMPARE(StoredSetting(u"Settings"_s, u"SubTop"_s), u"900"_s);
        PlacedDialog second;
        second.resize(500, 100);
        second.show();
        QCOMPARE(second.pos(), QPoint(40, 60));
        second.reject();

        StoreSetting(u"Settings"_s, u"SubLeft"_s, u"99000"_s);
        StoreSetting(u"Settings"_s, u"SubTop"_s, u"-3000"_s);
        PlacedDialog far;
        far.resize(300, 200);
        far.show();
        QVERIFY(area.contains(far.frameGeometry()));
    }

    // The window's close button asks as Esc and the cancel button do (the editors' tests show
    // those): Cancel keeps the editor open, OK closes it.
    void closeButtonAsksFirst()
    {
        Policy policy;
        policy.Cancel = true;
        Editor editor(policy);
        editor.show();
        Messages::setNextAnswer(QMessageBox::Cancel);
        editor.close();
        QVERIFY(editor.isVisible());
        COMPARE_LAST_MESSAGE(u"確認"_s, u"保存せずに終了します。\nよろしいですか。"_s, Messages::Question);
        Messages::setNextAnswer(QMessageBox::Ok);
        editor.close();
        QVERIFY(!editor.isVisible());
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestFormWidgets)
#include "test_form_widgets.moc"
