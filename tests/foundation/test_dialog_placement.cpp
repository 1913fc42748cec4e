#include "foundation/dialog_placement.h"
#include "foundation/messages.h"
#include "foundation/settings_store.h"
#include "pricing/policy.h"
#include "test_support.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

class Editor : public GuardedDialog {
public:
    Editor(const Policy& policy, int updating) : GuardedDialog(policy), m_updating(updating)
    {
        resize(300, 200);
    }

protected:
    int updatingMode() const override { return m_updating; }

private:
    int m_updating;
};

QString setting(const QString& key)
{
    return GetSetting(u"VORNA"_s, u"Settings"_s, key);
}

} // namespace

class TestDialogPlacement : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void firstDialogCentredThenEveryDialogWhereTheLastClosed()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        PlacedDialog first;
        first.resize(300, 200);
        first.show();
        const QRect frame = first.frameGeometry();
        QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 2);
        QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 2);
        first.move(40, 60);
        first.accept();
        QCOMPARE(setting(u"SubLeft"_s), u"600"_s);
        QCOMPARE(setting(u"SubTop"_s), u"900"_s);

        PlacedDialog second;
        second.resize(500, 100);
        second.show();
        QCOMPARE(second.pos(), QPoint(40, 60));
        second.reject();
    }

    void storedPlaceOffScreenIsPulledBack()
    {
        SaveSetting(u"VORNA"_s, u"Settings"_s, u"SubLeft"_s, u"99000"_s);
        SaveSetting(u"VORNA"_s, u"Settings"_s, u"SubTop"_s, u"-3000"_s);
        PlacedDialog dialog;
        dialog.resize(300, 200);
        dialog.show();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(area.contains(dialog.frameGeometry()));
    }

    void confirmClose_data()
    {
        addColumns<bool, int, int, bool, QString>({"ask", "updating", "answer", "closes", "text"});
        QTest::newRow("policy off") << false << 1 << int(QMessageBox::Cancel) << true << QString();
        QTest::newRow("update, ok") << true << 1 << int(QMessageBox::Ok) << true
                                    << u"変更せずに終了します。\nよろしいですか。"_s;
        QTest::newRow("new, cancel") << true << 0 << int(QMessageBox::Cancel) << false
                                     << u"保存せずに終了します。\nよろしいですか。"_s;
    }
    void confirmClose()
    {
        QFETCH(bool, ask);
        QFETCH(int, updating);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(QString, text);
        Policy policy;
        policy.Cancel = ask;
        Editor editor(policy, updating);
        editor.show();
        Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        // Esc comes through reject(), as do the cancel button and the window's close button.
        QTest::keyClick(&editor, Qt::Key_Escape);
        QCOMPARE(editor.isVisible(), !closes);
        if (ask) {
            QCOMPARE(Messages::last().title, u"確認"_s);
            QCOMPARE(Messages::last().text, text);
            QCOMPARE(Messages::last().icon, Messages::Question);
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
        if (editor.isVisible()) {
            Messages::setNextAnswer(QMessageBox::Cancel);
            editor.close();
            QVERIFY(editor.isVisible());
            Messages::setNextAnswer(QMessageBox::Ok);
            editor.close();
            QVERIFY(!editor.isVisible());
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestDialogPlacement)
#include "test_dialog_placement.moc"
