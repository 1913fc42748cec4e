#include "layer_paths.h"
#include "layer_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Files allowed to be longer than the limit, by path; none is now (an entry for a file that is
// not long fails the check).
const QStringList kAllowedLongFiles;
constexpr int kLineLimit = 600;

QStringList listOf(const char* joined)
{
    return QString::fromUtf8(joined).split(u';', Qt::SkipEmptyParts);
}

// A small source tree: "path=line|line|…" per file.
void writeTree(const QString& root, const QStringList& files)
{
    for (const QString& entry : files) {
        const QString path = root + u'/' + entry.section(u'=', 0, 0);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(entry.section(u'=', 1).replace(u'|', u'\n').toUtf8() + "\n");
    }
}

QString longText(int lines)
{
    QStringList text;
    for (int i = 0; i < lines; ++i) {
        text << u"// %1"_s.arg(i);
    }
    return text.join(u'|');
}

} // namespace

// The layers of the source tree: the core sees no widget and no window, no folders include each
// other round a circle, no source file is too long to read.
class TestLayers : public QObject {
    Q_OBJECT
private slots:
    void sourceTreeKeepsItsLayers()
    {
        const LayerReport report = CheckLayers(QStringLiteral(VORNA_SOURCE_DIR "/src"),
                                               listOf(VORNA_GUI_HEADERS), kAllowedLongFiles, kLineLimit);
        QVERIFY2(report.forbiddenIncludes.isEmpty(), qPrintable(report.forbiddenIncludes.join(u'\n')));
        QVERIFY2(report.ambiguousHeaders.isEmpty(), qPrintable(report.ambiguousHeaders.join(u'\n')));
        QVERIFY2(report.cycles.isEmpty(), qPrintable(report.cycles.join(u'\n')));
        QVERIFY2(report.longFiles.isEmpty(), qPrintable(report.longFiles.join(u'\n')));
        QVERIFY2(report.staleAllowances.isEmpty(), qPrintable(report.staleAllowances.join(u'\n')));
    }

    // Each rule catches what breaks it, and only that.
    void brokenTreesAreFound_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("allowed");
        QTest::addColumn<QString>("found");
        const QStringList base = {
            u"core/db/db.h=#include <QString>"_s, u"gui/common/messages.h=#include <QDialog>"_s,
            u"gui/common/messages.cpp=#include \"common/messages.h\"|#include \"db/db.h\""_s};
        QTest::newRow("clean") << base << QStringList() << QString();
        QTest::newRow("widget header in core")
            << base + QStringList{u"core/db/x.cpp=#include \"db/db.h\"|#include <QWidget>"_s} << QStringList()
            << u"forbidden core/db/x.cpp: <QWidget>"_s;
        QTest::newRow("gui module path in core")
            << base + QStringList{u"core/db/x.cpp=#include <QtGui/QImage>"_s} << QStringList()
            << u"forbidden core/db/x.cpp: <QtGui/QImage>"_s;
        QTest::newRow("gui module header in core")
            << base + QStringList{u"core/db/x.cpp=#include <QPainter>"_s} << QStringList()
            << u"forbidden core/db/x.cpp: <QPainter>"_s;
        QTest::newRow("window header in core")
            << base + QStringList{u"core/db/x.cpp=#include \"common/messages.h\""_s} << QStringList()
            << u"forbidden core/db/x.cpp: \"common/messages.h\""_s;
        QTest::newRow("way out of core")
            << base + QStringList{u"core/db/x.cpp=#include \"../gui/common/messages.h\""_s} << QStringList()
            << u"forbidden core/db/x.cpp: \"../gui/common/messages.h\""_s;
        QTest::newRow("one name in both layers") << base + QStringList{u"gui/db/db.h=#include <QWidget>"_s}
                                                 << QStringList() << u"ambiguous db/db.h"_s;
        QTest::newRow("core folders in a circle")
            << base + QStringList{u"core/a/a.h=#include \"b/b.h\""_s, u"core/b/b.h=#include \"c/c.h\""_s,
                                  u"core/c/c.h=#include \"a/a.h\""_s}
            << QStringList() << u"cycle core/a -> core/b -> core/c -> core/a"_s;
        QTest::newRow("window folders in a circle")
            << base + QStringList{u"gui/a/a.cpp=#include \"common/messages.h\"|#include \"b/b.h\""_s,
                                  u"gui/b/b.h=#include \"a/a.h\""_s, u"gui/a/a.h="_s}
            << QStringList() << u"cycle gui/a -> gui/b -> gui/a"_s;
        QTest::newRow("long file") << base + QStringList{u"gui/a/a.cpp="_s + longText(601)} << QStringList()
                                   << u"long gui/a/a.cpp: 601 lines"_s;
        QTest::newRow("at the limit")
            << base + QStringList{u"gui/a/a.cpp="_s + longText(600)} << QStringList() << QString();
        QTest::newRow("long file allowed") << base + QStringList{u"gui/a/a.cpp="_s + longText(601)}
                                           << QStringList{u"gui/a/a.cpp"_s} << QString();
        QTest::newRow("allowance no longer needed")
            << base + QStringList{u"gui/a/a.cpp=// short"_s} << QStringList{u"gui/a/a.cpp"_s}
            << u"stale gui/a/a.cpp"_s;
    }
    void brokenTreesAreFound()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, allowed);
        QFETCH(QString, found);
        QTemporaryDir dir;
        writeTree(dir.path() + u"/src"_s, files);
        // A folder of module headers as Qt installs them.
        writeTree(dir.path() + u"/qt"_s, {u"QtGui/QPainter=// painter"_s, u"QtCore/QString=// string"_s});
        const LayerReport report =
            CheckLayers(dir.path() + u"/src"_s, {dir.path() + u"/qt/QtGui"_s, dir.path() + u"/qt/QtCore"_s},
                        allowed, kLineLimit);
        QStringList got;
        for (const QString& f : report.forbiddenIncludes) {
            got << u"forbidden "_s + f;
        }
        for (const QString& a : report.ambiguousHeaders) {
            got << u"ambiguous "_s + a;
        }
        for (const QString& c : report.cycles) {
            got << u"cycle "_s + c;
        }
        for (const QString& l : report.longFiles) {
            got << u"long "_s + l;
        }
        for (const QString& s : report.staleAllowances) {
            got << u"stale "_s + s;
        }
        QCOMPARE(got, found.isEmpty() ? QStringList() : QStringList{found});
    }

    // The programs and tests of the core load neither Qt Gui nor Qt Widgets.
    void coreProgramsLoadNoGui_data()
    {
        QTest::addColumn<QString>("program");
        for (const QString& program : listOf(VORNA_CORE_PROGRAMS)) {
            QTest::newRow(qPrintable(QFileInfo(program).fileName())) << program;
        }
    }
    void coreProgramsLoadNoGui()
    {
        QFETCH(QString, program);
        QProcess ldd;
        ldd.start(u"ldd"_s, {program});
        QVERIFY(ldd.waitForFinished());
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(u"libQt6Core"_s), qPrintable(libraries));
        QVERIFY2(!libraries.contains(u"libQt6Gui"_s) && !libraries.contains(u"libQt6Widgets"_s),
                 qPrintable(libraries));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "test_layers.moc"
