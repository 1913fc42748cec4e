#include "../estimation/estimation_fixtures.h"
#include "common/dialog_placement.h"
#include "common/twips.h"
#include "estimation/member_replacement.h"
#include "masters/master_editors.h"
#include "settings/settings.h"
#include "workspace/main_window.h"

#include <QScreen>
#include <QWindow>

// Windows under a real window manager (the test command starts one): a window's frame only
// exists there, and so do the faults of placing a window by its inside while storing its frame.
namespace {

// Waits until the window manager has framed the window and the program knows the frame.
void waitFramed(QWidget* window)
{
    QVERIFY(QTest::qWaitForWindowExposed(window, 30000));
    QTRY_VERIFY_WITH_TIMEOUT(!WindowFrame(window).isNull(), 30000);
}

QPoint storedPlace()
{
    const auto pixels = [](const char* key) {
        return StoredSetting(u"Settings"_s, QString::fromLatin1(key)).toInt() / kTwipsPerPixel;
    };
    return {pixels("SubLeft"), pixels("SubTop")};
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT
private slots:
    void init() { m_s = std::make_unique<DemoSession>(); }
    void cleanup() { m_s.reset(); }

    // An editor opened and closed five times comes back exactly where it was closed (its frame
    // where the frame was), also after the user moved it; it never creeps up the screen.
    void editorReopensWhereItWasClosed()
    {
        MainWindow main(*m_s->state);
        main.show();
        waitFramed(&main);
        const QPoint moved(150, 110);
        QList<QPoint> closedAt;
        for (int open = 0; open < 5; ++open) {
            LanguageEditor editor(*m_s->state, &main);
            editor.show();
            waitFramed(&editor);
            if (open > 0) {
                QTRY_COMPARE_WITH_TIMEOUT(FramePosition(&editor), closedAt.last(), 30000);
            }
            if (open == 1) {
                editor.windowHandle()->setFramePosition(moved);
                QTRY_COMPARE_WITH_TIMEOUT(FramePosition(&editor), moved, 30000);
            }
            closedAt << FramePosition(&editor);
            editor.reject();
            QCOMPARE(storedPlace(), closedAt.last());
        }
        QCOMPARE(closedAt.mid(1), QList<QPoint>(4, moved));
    }

    // The member replacement is a tool, not an editor: it opens centred on the main window,
    // wherever that is, and keeps no place of its own.
    void memberReplacementOpensOverTheMainWindow()
    {
        StoreSetting(u"Settings"_s, u"SubLeft"_s, u"600"_s);
        StoreSetting(u"Settings"_s, u"SubTop"_s, u"900"_s);
        AppState& state = m_s->open(1, true);
        MainWindow main(state);
        main.show();
        waitFramed(&main);
        // The main window does not stand in the middle of the screen, where an editor would open.
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((main.windowHandle()->frameGeometry().center() - screenCentre).manhattanLength() > 100);
        {
            MemberReplacementDialog dialog(state, &main);
            dialog.show();
            waitFramed(&dialog);
            // Centred on the inside of the main window, whose title bar moves it a little.
            const auto offset = [&] {
                return dialog.windowHandle()->frameGeometry().center() -
                       main.windowHandle()->frameGeometry().center();
            };
            const int title = WindowFrame(&main).top();
            QTRY_VERIFY2_WITH_TIMEOUT(qAbs(offset().x()) <= 4 && qAbs(offset().y()) <= title + 4,
                                      qPrintable(u"%1,%2"_s.arg(offset().x()).arg(offset().y())), 30000);
            dialog.reject();
        }
        QCOMPARE(storedPlace(), QPoint(40, 60));
        QVERIFY(Messages::shown().isEmpty());
    }

private:
    std::unique_ptr<DemoSession> m_s;
};

QTEST_MAIN(TestWindowManager)
#include "test_window_manager.moc"
