#include "foundation/help.h"
#include "foundation/messages.h"
#include "gui_helpers.h"
#include "masters/about_box.h"
#include "test_support.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace {

// Runs the box with the PATH pointing at one folder only.
class PathOverride {
public:
    explicit PathOverride(const QString& folder) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", folder.toLocal8Bit());
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

void writeTool(const QString& path, const QByteArray& body, bool executable)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();
    if (executable) {
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void showsNameVersionAndTexts()
    {
        AboutBox box;
        QCOMPARE(box.objectName(), u"frmAbout"_s);
        QCOMPARE(box.windowTitle(), u"VORNAについて"_s);
        QCOMPARE(control<QLabel>(&box, u"lblTitle"_s)->text(), u"ＶＯＲＮＡ"_s);
        // The version set in CMake's project() for this build.
        QCOMPARE(control<QLabel>(&box, u"lblVersion"_s)->text(), u"Ver.0.9.0"_s);
        QCOMPARE(control<QLabel>(&box, u"lblDescription"_s)->text(),
                 u"プロジェクトマネージャの初期工程をサポートするツールのクライアントです。"_s);
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "lblDisclaimer"}) {
            QVERIFY2(!control<QLabel>(&box, QString::fromLatin1(name))->text().isEmpty(), name);
        }
        // The home page is the shipped help.
        QUrl opened;
        Help::setOpener([&opened](const QUrl& url) {
            opened = url;
            return true;
        });
        const QString help = m_env->path(u"help"_s);
        QVERIFY(QDir().mkpath(help));
        writeTool(help + u"/index.html"_s, "<html></html>", false);
        Help::setFolder(help);
        emit control<QLabel>(&box, u"Label4"_s)->linkActivated(u"help"_s);
        QCOMPARE(opened.fileName(), u"index.html"_s);
        Help::setFolder(QString());
        QVERIFY(!control<QLabel>(&box, u"picIcon"_s)->pixmap().isNull());
        QCOMPARE(control<QPushButton>(&box, u"cmdSysInfo"_s)->text(), u"ｼｽﾃﾑ情報(&S)..."_s);
    }

    void enterAndEscapeClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("escape") << int(Qt::Key_Escape);
    }
    void enterAndEscapeClose()
    {
        QFETCH(int, key);
        AboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, static_cast<Qt::Key>(key));
        QVERIFY(!box.isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

    void systemInformationWithoutTool_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::newRow("nothing installed") << false;
        QTest::newRow("a tool's name that is no program") << true;
    }
    void systemInformationWithoutTool()
    {
        QFETCH(bool, fileThere);
        const QString folder = m_env->path(u"bin"_s);
        QVERIFY(QDir().mkpath(folder));
        if (fileThere) {
            writeTool(folder + u"/hardinfo"_s, "not a program\n", false);
        }
        PathOverride path(folder);
        AboutBox box;
        box.show();
        clickButton(&box, u"cmdSysInfo"_s);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"VORNA"_s, u"現時点ではｼｽﾃﾑ情報を使用できません"_s, Messages::NoIcon);
        QCOMPARE(Messages::last().buttons, Messages::Buttons(QMessageBox::Ok));
        QVERIFY(box.isVisible());
    }

    void systemInformationStartsInstalledTool()
    {
        const QString folder = m_env->path(u"bin"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString marker = m_env->path(u"started"_s);
        writeTool(folder + u"/kinfocenter"_s, "#!/bin/sh\necho started > '" + marker.toLocal8Bit() + "'\n",
                  true);
        PathOverride path(folder);
        AboutBox box;
        box.show();
        clickButton(&box, u"cmdSysInfo"_s);
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(box.isVisible());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
