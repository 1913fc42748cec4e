#include "db/db_connection.h"
#include "db/schema_setup.h"
#include "program/version.h"
#include "test_support.h"

#include <QDirIterator>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
             int seconds = 60)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Finished finished;
    if (!process.waitForFinished(seconds * 1000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        finished.err = program + u" did not end normally: "_s + process.errorString() + u"\n"_s +
                       QString::fromUtf8(process.readAllStandardError());
        return finished;
    }
    finished.exitCode = process.exitCode();
    finished.out = QString::fromUtf8(process.readAllStandardOutput());
    finished.err = QString::fromUtf8(process.readAllStandardError());
    return finished;
}

QString report(const Finished& finished)
{
    return u"exit %1\n"_s.arg(finished.exitCode) + finished.out + finished.err;
}

// A user who has never run VORNA: a home folder of their own and nothing else; a display only
// as the platform plugin gives one.
QProcessEnvironment freshProfile(const QString& home, const QString& platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"XDG_CONFIG_HOME"_s, u"XDG_DATA_HOME"_s,
                                u"XDG_CACHE_HOME"_s, u"XDG_RUNTIME_DIR"_s, u"VORNA_QUIT_WHEN_SHOWN"_s}) {
        environment.remove(name);
    }
    QDir().mkpath(home);
    environment.insert(u"HOME"_s, home);
    environment.insert(u"QT_QPA_PLATFORM"_s, platform);
    return environment;
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(folder).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

// Key=value lines of a desktop entry (QSettings would take ';' for a comment).
QMap<QString, QString> desktopEntry(const QString& path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0 && !line.startsWith(u'#')) {
                entry.insert(line.left(equals), line.mid(equals + 1));
            }
        }
    }
    return entry;
}

const QString kAppId = QStringLiteral(VORNA_APP_ID);
const QStringList kPrograms = QStringLiteral(VORNA_PROGRAMS).split(u',');
const QList<int> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

#define REQUIRE_PACKAGE()                                                                                    \
    if (m_package.isEmpty())                                                                                 \
    QSKIP("dpkg-deb is not installed: no package to check")

// Where the programs are: the build tree, or the package unpacked into a temporary root.
enum class Place { BuildTree, Package };
Q_DECLARE_METATYPE(Place)

class TestPackage : public QObject {
    Q_OBJECT
private slots:
    // The package of this build, when dpkg-deb is there to build and unpack it.
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"dpkg-deb"_s).isEmpty()) {
            return;
        }
        const Finished architecture = run(u"dpkg"_s, {u"--print-architecture"_s});
        QCOMPARE(architecture.exitCode, 0);
        const Finished packed = run(
            u"" VORNA_CPACK ""_s,
            {u"--config"_s, u"" VORNA_BUILD_DIR "/CPackConfig.cmake"_s, u"-B"_s, m_work.filePath(u"cpack"_s)},
            QProcessEnvironment::systemEnvironment(), 240);
        QVERIFY2(packed.exitCode == 0, qPrintable(report(packed)));
        const QString package = m_work.filePath(u"cpack/vorna_" VORNA_VERSION_TEXT "_"_s +
                                                architecture.out.trimmed() + u".deb"_s);
        QVERIFY2(QFileInfo::exists(package), qPrintable(report(packed)));
        m_root = m_work.filePath(u"root"_s);
        const Finished unpacked = run(u"dpkg-deb"_s, {u"-x"_s, package, m_root});
        QVERIFY2(unpacked.exitCode == 0, qPrintable(report(unpacked)));
        m_package = package;
    }

    // Programs, help pages, desktop entry, icons, metadata, manual pages and the package's own
    // documents, where Debian and the desktop look for them.
    void shipsItsFiles_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& program : kPrograms) {
            QTest::newRow(qPrintable(program)) << u"usr/bin/"_s + program;
            QTest::newRow(qPrintable(program + u" manual"_s)) << u"usr/share/man/man1/%1.1.gz"_s.arg(program);
        }
        QTest::newRow("help contents") << u"usr/share/vorna/help/index.html"_s;
        QTest::newRow("desktop entry") << u"usr/share/applications/%1.desktop"_s.arg(kAppId);
        QTest::newRow("metadata") << u"usr/share/metainfo/%1.metainfo.xml"_s.arg(kAppId);
        QTest::newRow("scalable icon") << u"usr/share/icons/hicolor/scalable/apps/%1.svg"_s.arg(kAppId);
        for (const int size : kIconSizes) {
            QTest::newRow(qPrintable(u"icon %1"_s.arg(size)))
                << u"usr/share/icons/hicolor/%1x%1/apps/%2.png"_s.arg(size).arg(kAppId);
        }
        QTest::newRow("copyright") << u"usr/share/doc/vorna/copyright"_s;
        QTest::newRow("changelog") << u"usr/share/doc/vorna/changelog.gz"_s;
    }
    void shipsItsFiles()
    {
        REQUIRE_PACKAGE();
        QFETCH(QString, path);
        const QFileInfo file(m_root + u"/"_s + path);
        QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
        if (path.startsWith(u"usr/bin/"_s)) {
            QVERIFY(file.isExecutable());
        }
        if (path.endsWith(u".png"_s)) {
            const int size = path.section(u'/', 4, 4).section(u'x', 0, 0).toInt();
            QCOMPARE(QImage(file.filePath()).size(), QSize(size, size));
        }
    }

    // Every help page of the source tree, and nothing else, in the shared data folder.
    void shipsEveryHelpPage()
    {
        REQUIRE_PACKAGE();
        QCOMPARE(filesUnder(m_root + u"/usr/share/vorna/help"_s), filesUnder(u"" VORNA_SOURCE_DIR "/help"_s));
    }

    // The package depends on what the programs link (found by dpkg-shlibdeps) and on the
    // packages holding what Qt loads at run time: found here by asking dpkg who ships each file
    // on this machine.
    void dependsOnWhatItLoads_data()
    {
        QTest::addColumn<QString>("file");
        const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
        QTest::newRow("SQLite driver") << plugins + u"/sqldrivers/libqsqlite.so"_s;
        QTest::newRow("PostgreSQL driver") << plugins + u"/sqldrivers/libqsqlpsql.so"_s;
        QTest::newRow("ODBC driver") << plugins + u"/sqldrivers/libqsqlodbc.so"_s;
        QTest::newRow("X11 platform") << plugins + u"/platforms/libqxcb.so"_s;
        QTest::newRow("SVG icon engine") << plugins + u"/iconengines/libqsvgicon.so"_s;
        QTest::newRow("Japanese Qt texts")
            << QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_ja.qm"_s;
        QTest::newRow("widgets library") << QLibraryInfo::path(QLibraryInfo::LibrariesPath) +
                                                u"/libQt6Widgets.so.%1"_s.arg(QT_VERSION_MAJOR);
    }
    void dependsOnWhatItLoads()
    {
        REQUIRE_PACKAGE();
        QFETCH(QString, file);
        const Finished owner = run(u"dpkg"_s, {u"-S"_s, QFileInfo(file).canonicalFilePath()});
        QVERIFY2(owner.exitCode == 0, qPrintable(report(owner)));
        const QString ownerPackage = owner.out.section(u':', 0, 0).trimmed();
        const Finished fields = run(u"dpkg-deb"_s, {u"-f"_s, m_package, u"Depends"_s});
        QCOMPARE(fields.exitCode, 0);
        QStringList depends;
        for (const QString& alternatives : fields.out.trimmed().split(u", "_s)) {
            depends << alternatives.section(u' ', 0, 0);
        }
        QVERIFY2(depends.contains(ownerPackage), qPrintable(ownerPackage + u" not in "_s + fields.out));
    }

    // The desktop entry and the metadata pass the desktop's own validators; lintian finds no
    // error in the package.
    void passesDebianAndDesktopChecks_data()
    {
        addColumns<QString, QStringList>({"tool", "arguments"});
        QTest::newRow("desktop entry")
            << u"desktop-file-validate"_s << QStringList{u"usr/share/applications/%1.desktop"_s.arg(kAppId)};
        QTest::newRow("metadata") << u"appstreamcli"_s
                                  << QStringList{u"validate"_s, u"--no-net"_s,
                                                 u"usr/share/metainfo/%1.metainfo.xml"_s.arg(kAppId)};
        QTest::newRow("lintian") << u"lintian"_s << QStringList{u"--fail-on"_s, u"error"_s, u"PACKAGE"_s};
    }
    void passesDebianAndDesktopChecks()
    {
        REQUIRE_PACKAGE();
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
                 qPrintable(tool + u" is not installed (scripts/install-deps test)"_s));
        for (QString& argument : arguments) {
            argument = argument == u"PACKAGE"_s         ? m_package
                       : argument.startsWith(u"usr/"_s) ? m_root + u"/"_s + argument
                                                        : argument;
        }
        const Finished checked = run(tool, arguments);
        QVERIFY2(checked.exitCode == 0, qPrintable(report(checked)));
        QVERIFY2(!checked.out.contains(QRegularExpression(u"^E: "_s, QRegularExpression::MultilineOption)),
                 qPrintable(report(checked)));
    }

    // --version and --help print and end with no display to open a window on (the X11 platform
    // without DISPLAY would abort), and leave nothing in the user's home.
    void answersWithoutAWindow_data()
    {
        addColumns<Place, QString, QString, QString>({"place", "program", "option", "expected"});
        for (const Place place : {Place::BuildTree, Place::Package}) {
            const char* where = place == Place::BuildTree ? "build tree" : "package";
            for (const QString& program : kPrograms) {
                QTest::addRow("%s: %s --version", where, qPrintable(program))
                    << place << program << u"--version"_s << program + u" " VORNA_VERSION_TEXT "\n"_s;
                QTest::addRow("%s: %s --help", where, qPrintable(program))
                    << place << program << u"--help"_s << u"-v, --version"_s;
            }
        }
    }
    void answersWithoutAWindow()
    {
        QFETCH(Place, place);
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, expected);
        if (place == Place::Package) {
            REQUIRE_PACKAGE();
        }
        const QTemporaryDir profile;
        const QString home = profile.filePath(u"home"_s);
        const Finished answered =
            run(programFolder(place) + u"/"_s + program, {option}, freshProfile(home, u"xcb"_s));
        QVERIFY2(answered.exitCode == 0 && answered.err.isEmpty(), qPrintable(report(answered)));
        if (option == u"--version"_s) {
            QCOMPARE(answered.out, expected);
        } else {
            QVERIFY2(answered.out.startsWith(u"Usage: "_s) && answered.out.contains(expected),
                     qPrintable(answered.out));
        }
        QCOMPARE(filesUnder(home), QStringList());
    }

    // A new user's first start, offscreen, until the main window shows: the embedded database is
    // created in the user's data folder and the help pages are found where the program was
    // installed; the window tells the desktop the name and class its menu entry gives.
    void startsOnAFreshProfile_data()
    {
        QTest::addColumn<Place>("place");
        QTest::newRow("build tree") << Place::BuildTree;
        QTest::newRow("package") << Place::Package;
    }
    void startsOnAFreshProfile()
    {
        QFETCH(Place, place);
        if (place == Place::Package) {
            REQUIRE_PACKAGE();
        }
        const QTemporaryDir profile;
        const QString home = profile.filePath(u"home"_s);
        QProcessEnvironment environment = freshProfile(home, u"offscreen"_s);
        environment.insert(u"VORNA_QUIT_WHEN_SHOWN"_s, u"1"_s);
        const Finished started = run(programFolder(place) + u"/vorna"_s, {}, environment);
        QVERIFY2(started.exitCode == 0, qPrintable(report(started)));

        const QString help = place == Place::BuildTree ? programFolder(place) + u"/help"_s
                                                       : m_root + u"/usr/share/vorna/help"_s;
        const QStringList lines = started.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{u"frmMain shown"_s, u"desktop "_s + kAppId, u"class vorna"_s,
                                     u"help "_s + QDir::cleanPath(help)}));
        QVERIFY(QFileInfo::exists(help + u"/index.html"_s));

        const QString database = home + u"/.local/share/vorna/kaldb.sqlite"_s;
        QVERIFY2(QFileInfo::exists(database), qPrintable(filesUnder(home).join(u'\n')));
        auto connection =
            DbConnection::open(ConnectionParams::parse(u"Provider=SQLite;Data Source="_s + database));
        const QStringList tables = ExistingTables(*connection);
        QVERIFY2(tables.contains(u"TPROJECT"_s) && tables.contains(u"MDIV"_s),
                 qPrintable(tables.join(u", "_s)));

        if (place == Place::Package) {
            const auto entry = desktopEntry(m_root + u"/usr/share/applications/"_s + kAppId + u".desktop"_s);
            QCOMPARE(entry.value(u"Name"_s), u"VORNA"_s);
            QCOMPARE(entry.value(u"Exec"_s), u"vorna"_s);
            QCOMPARE(entry.value(u"Icon"_s), kAppId);
            QCOMPARE(entry.value(u"StartupWMClass"_s), u"vorna"_s);
            QCOMPARE(entry.value(u"Categories"_s), u"Office;ProjectManagement;"_s);
            QVERIFY(entry.value(u"Comment[ja]"_s).contains(u"見積"_s));
        }
    }

private:
    QString programFolder(Place place) const
    {
        return place == Place::BuildTree ? QCoreApplication::applicationDirPath() : m_root + u"/usr/bin"_s;
    }

    QTemporaryDir m_work;
    QString m_root;
    QString m_package;
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
