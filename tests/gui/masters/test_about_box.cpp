#include "common/messages.h"
#include "gui_helpers.h"
#include "help/help.h"
#include "help/help_window.h"
#include "masters/about_box.h"
#include "test_support.h"

#include <QTextBrowser>

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup()
    {
        m_env.reset();
        qputenv("PATH", m_path);
    }

    // The version is the one set in CMake's project() for this build; Enter and Esc both close.
    void showsVersionAndCloses()
    {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            AboutBox box;
            QCOMPARE(controlText(&box, u"lblVersion"_s), u"Ver.0.9.0"_s);
            QVERIFY(!control<QLabel>(&box, u"picIcon"_s)->pixmap().isNull());
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            QTest::keyClick(&box, key);
            QVERIFY(!box.isVisible());
        }
        QVERIFY(Messages::shown().isEmpty());
    }

    // The system information tool is looked for on the PATH: a file of its name that is no
    // program does not count, and without one the box says so.
    void systemInformation_data()
    {
        addColumns<QString, QByteArray, bool>({"file", "body", "executable"});
        QTest::newRow("nothing installed") << QString() << QByteArray() << false;
        QTest::newRow("a tool's name that is no program")
            << u"hardinfo"_s << QByteArray("not a program\n") << false;
        QTest::newRow("installed tool")
            << u"kinfocenter"_s << QByteArray("#!/bin/sh\necho started > \"$0.ran\"\n") << true;
    }
    void systemInformation()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, body);
        QFETCH(bool, executable);
        const QString folder = m_env->path(u"bin"_s);
        QVERIFY(QDir().mkpath(folder));
        if (!file.isEmpty()) {
            QFile tool(folder + u"/"_s + file);
            QVERIFY(tool.open(QIODevice::WriteOnly) && tool.write(body) == body.size());
            tool.close();
            QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                        (executable ? QFile::ExeOwner : QFile::Permissions())));
        }
        qputenv("PATH", folder.toLocal8Bit());
        AboutBox box;
        box.show();
        clickButton(&box, u"cmdSysInfo"_s);
        QVERIFY(box.isVisible());
        if (executable) {
            QTRY_VERIFY(QFile::exists(folder + u"/"_s + file + u".ran"_s));
            QVERIFY(Messages::shown().isEmpty());
            return;
        }
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"VORNA"_s, u"現時点ではｼｽﾃﾑ情報を使用できません"_s, Messages::NoIcon);
        QCOMPARE(Messages::last().buttons, Messages::Buttons(QMessageBox::Ok));
    }

    // The home page is the program's documentation: the link opens it in the help window, and
    // says so when the pages are missing instead of doing nothing.
    void homePageLink()
    {
        QTemporaryDir empty;
        Help::setFolder(empty.path());
        AboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* link = control<QLabel>(&box, u"Label4"_s);
        const QPoint onText(link->fontMetrics().horizontalAdvance(u"VORNA"_s) / 2 +
                                link->contentsRect().left(),
                            link->height() / 2);
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, onText);
        COMPARE_LAST_MESSAGE(u"VORNA"_s,
                             u"ホームページを開けませんでした。\n"_s +
                                 QDir::toNativeSeparators(QDir(empty.path()).filePath(u"index.html"_s)),
                             Messages::Exclamation);
        QVERIFY(!box.findChild<HelpWindow*>());

        const QDir help(QCoreApplication::applicationDirPath() + u"/help"_s);
        Help::setFolder(help.path());
        Messages::clearShown();
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, onText);
        auto* viewer = box.findChild<HelpWindow*>();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->browser()->source(), QUrl::fromLocalFile(help.filePath(u"index.html"_s)));
        QVERIFY(Messages::shown().isEmpty());
        Help::setFolder(QString());
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
    const QByteArray m_path = qgetenv("PATH");
};

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
