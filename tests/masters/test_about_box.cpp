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
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box.windowTitle(), QStringLiteral("VORNAについて"));
        QCOMPARE(control<QLabel>(&box, QStringLiteral("lblTitle"))->text(), QStringLiteral("ＶＯＲＮＡ"));
        // The version set in CMake's project() for this build.
        QCOMPARE(control<QLabel>(&box, QStringLiteral("lblVersion"))->text(), QStringLiteral("Ver.0.9.0"));
        QCOMPARE(control<QLabel>(&box, QStringLiteral("lblDescription"))->text(),
                 QStringLiteral("プロジェクトマネージャの初期工程をサポートするツールのクライアントです。"));
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "lblDisclaimer"}) {
            QVERIFY2(!control<QLabel>(&box, QString::fromLatin1(name))->text().isEmpty(), name);
        }
        // The home page is the shipped help.
        QUrl opened;
        Help::setOpener([&opened](const QUrl& url) {
            opened = url;
            return true;
        });
        const QString help = m_env->path(QStringLiteral("help"));
        QVERIFY(QDir().mkpath(help));
        writeTool(help + QStringLiteral("/index.html"), "<html></html>", false);
        Help::setFolder(help);
        emit control<QLabel>(&box, QStringLiteral("Label4"))->linkActivated(QStringLiteral("help"));
        QCOMPARE(opened.fileName(), QStringLiteral("index.html"));
        Help::setFolder(QString());
        QVERIFY(!control<QLabel>(&box, QStringLiteral("picIcon"))->pixmap().isNull());
        QCOMPARE(control<QPushButton>(&box, QStringLiteral("cmdSysInfo"))->text(),
                 QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
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
        const QString folder = m_env->path(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(folder));
        if (fileThere) {
            writeTool(folder + QStringLiteral("/hardinfo"), "not a program\n", false);
        }
        PathOverride path(folder);
        AboutBox box;
        box.show();
        clickButton(&box, QStringLiteral("cmdSysInfo"));
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("VORNA"), QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"),
                             Messages::NoIcon);
        QCOMPARE(Messages::last().buttons, Messages::Buttons(QMessageBox::Ok));
        QVERIFY(box.isVisible());
    }

    void systemInformationStartsInstalledTool()
    {
        const QString folder = m_env->path(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(folder));
        const QString marker = m_env->path(QStringLiteral("started"));
        writeTool(folder + QStringLiteral("/kinfocenter"),
                  "#!/bin/sh\necho started > '" + marker.toLocal8Bit() + "'\n", true);
        PathOverride path(folder);
        AboutBox box;
        box.show();
        clickButton(&box, QStringLiteral("cmdSysInfo"));
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(box.isVisible());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
