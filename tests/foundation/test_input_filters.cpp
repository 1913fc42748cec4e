#include "foundation/input_filters.h"
#include "foundation/messages.h"
#include "test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Types text character by character, as a keyboard or an input method delivers it.
void type(QLineEdit* box, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

} // namespace

// The filters on real boxes, typed into key by key, pasted into and left.
class TestInputFilters : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void typing_data()
    {
        addColumns<bool, QString, QString>({"allow", "typed", "expected"});
        QTest::newRow("digits") << false << u"1200"_s << u"1200"_s;
        QTest::newRow("letters and signs dropped") << false << u"1a-2,b3"_s << u"123"_s;
        QTest::newRow("sign and comma allowed") << true << u"-1,200"_s << u"-1,200"_s;
        QTest::newRow("point never typed") << true << u"12.5"_s << u"125"_s;
        QTest::newRow("full width") << true << u"－１，２３４"_s << u"-1,234"_s;
        QTest::newRow("late minus cleaned") << true << u"12-3"_s << u"123"_s;
    }
    void typing()
    {
        QFETCH(bool, allow);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QLineEdit box;
        AttachNumericFilter(&box, allow, false);
        box.show();
        type(&box, typed);
        QCOMPARE(box.text(), expected);
    }

    void editingKeysStillWork()
    {
        QLineEdit box;
        AttachNumericFilter(&box, true, false);
        box.show();
        QTest::keyClicks(&box, u"12345"_s);
        QTest::keyClick(&box, Qt::Key_Home);
        QTest::keyClick(&box, Qt::Key_Delete);
        QTest::keyClick(&box, Qt::Key_End);
        QTest::keyClick(&box, Qt::Key_Left);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), u"235"_s);
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), u"2345"_s);
        QVERIFY(!box.testAttribute(Qt::WA_InputMethodEnabled));
    }

    void pasteIsCleaned()
    {
        QLineEdit box;
        AttachNumericFilter(&box, true, false);
        box.show();
        QApplication::clipboard()->setText(u"a-1,2b"_s);
        box.paste();
        QCOMPARE(box.text(), u"-1,2"_s);
        box.clear();
        QApplication::clipboard()->setText(u"価格 １２，０００円"_s);
        box.paste();
        QCOMPARE(box.text(), u"12,000"_s);
    }

    void focusOutFormats()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* amount = new QLineEdit;
        auto* other = new QLineEdit;
        layout->addWidget(amount);
        layout->addWidget(other);
        AttachNumericFilter(amount, true, true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        amount->setFocus();
        QTest::keyClicks(amount, u"1234567"_s);
        other->setFocus();
        QCOMPARE(amount->text(), u"1,234,567"_s);
        // A half-typed number is left as it is for the user to finish.
        amount->setFocus();
        amount->setText(u"-"_s);
        other->setFocus();
        QCOMPARE(amount->text(), u"-"_s);
        QVERIFY(!CheckNumberBox(&window, u"単価"_s, amount));
        QCOMPARE(Messages::last().text, u"単価の値が正しくありません。"_s);
        QCOMPARE(Messages::last().title, u"入力確認"_s);
        amount->clear();
        QVERIFY(CheckNumberBox(&window, u"単価"_s, amount));
    }

    void dateBox()
    {
        QLineEdit box;
        AttachDateFilter(&box);
        box.show();
        QTest::keyClicks(&box, u"2003"_s);
        QCOMPARE(box.text(), u"2003/"_s);
        QTest::keyClicks(&box, u"12"_s);
        QCOMPARE(box.text(), u"2003/12/"_s);
        QTest::keyClicks(&box, u"a-24"_s);
        QCOMPARE(box.text(), u"2003/12/24"_s);
        // Backspace over a slash takes the digit before it too.
        box.setText(u"2003/12/"_s);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), u"2003/1"_s);
        QCOMPARE(box.cursorPosition(), 6);
        box.clear();
        QApplication::clipboard()->setText(u"2003-12-24"_s);
        box.paste();
        QCOMPARE(box.text(), u"2003/12/24"_s);
        box.clear();
        type(&box, u"２００３１２２４"_s);
        QCOMPARE(box.text(), u"2003/12/24"_s);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestInputFilters)
#include "test_input_filters.moc"
