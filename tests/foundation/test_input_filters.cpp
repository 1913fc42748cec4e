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
        QTest::addColumn<bool>("allow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits") << false << "1200"
                                << "1200";
        QTest::newRow("letters and signs dropped") << false << "1a-2,b3"
                                                   << "123";
        QTest::newRow("sign and comma allowed") << true << "-1,200"
                                                << "-1,200";
        QTest::newRow("point never typed") << true << "12.5"
                                           << "125";
        QTest::newRow("full width") << true << QStringLiteral("－１，２３４") << "-1,234";
        QTest::newRow("late minus cleaned") << true << "12-3"
                                            << "123";
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
        QTest::keyClicks(&box, QStringLiteral("12345"));
        QTest::keyClick(&box, Qt::Key_Home);
        QTest::keyClick(&box, Qt::Key_Delete);
        QTest::keyClick(&box, Qt::Key_End);
        QTest::keyClick(&box, Qt::Key_Left);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("235"));
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("2345"));
        QVERIFY(!box.testAttribute(Qt::WA_InputMethodEnabled));
    }

    void pasteIsCleaned()
    {
        QLineEdit box;
        AttachNumericFilter(&box, true, false);
        box.show();
        QApplication::clipboard()->setText(QStringLiteral("a-1,2b"));
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("-1,2"));
        box.clear();
        QApplication::clipboard()->setText(QStringLiteral("価格 １２，０００円"));
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("12,000"));
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
        QTest::keyClicks(amount, QStringLiteral("1234567"));
        other->setFocus();
        QCOMPARE(amount->text(), QStringLiteral("1,234,567"));
        // A half-typed number is left as it is for the user to finish.
        amount->setFocus();
        amount->setText(QStringLiteral("-"));
        other->setFocus();
        QCOMPARE(amount->text(), QStringLiteral("-"));
        QVERIFY(!CheckNumberBox(&window, QStringLiteral("単価"), amount));
        QCOMPARE(Messages::last().text, QStringLiteral("単価の値が正しくありません。"));
        QCOMPARE(Messages::last().title, QStringLiteral("入力確認"));
        amount->clear();
        QVERIFY(CheckNumberBox(&window, QStringLiteral("単価"), amount));
    }

    void dateBox()
    {
        QLineEdit box;
        AttachDateFilter(&box);
        box.show();
        QTest::keyClicks(&box, QStringLiteral("2003"));
        QCOMPARE(box.text(), QStringLiteral("2003/"));
        QTest::keyClicks(&box, QStringLiteral("12"));
        QCOMPARE(box.text(), QStringLiteral("2003/12/"));
        QTest::keyClicks(&box, QStringLiteral("a-24"));
        QCOMPARE(box.text(), QStringLiteral("2003/12/24"));
        // Backspace over a slash takes the digit before it too.
        box.setText(QStringLiteral("2003/12/"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("2003/1"));
        QCOMPARE(box.cursorPosition(), 6);
        box.clear();
        QApplication::clipboard()->setText(QStringLiteral("2003-12-24"));
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("2003/12/24"));
        box.clear();
        type(&box, QStringLiteral("２００３１２２４"));
        QCOMPARE(box.text(), QStringLiteral("2003/12/24"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestInputFilters)
#include "test_input_filters.moc"
