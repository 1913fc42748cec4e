#include "layer_rules.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <functional>

namespace {

struct Include {
    QString name;
    bool angled = false;
};

QStringList sourceFiles(const QString& root)
{
    QStringList files;
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.h.in")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QList<Include> includesOf(const QString& text)
{
    static const QRegularExpression line(QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]"),
                                         QRegularExpression::MultilineOption);
    QList<Include> found;
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        found.append({m.captured(2).trimmed(), m.captured(1) == QLatin1String("<")});
    }
    return found;
}

// A header in a layer's folder, or a header generated from a ".in" file there.
bool headerIn(const QString& layerRoot, const QString& name)
{
    return QFileInfo::exists(layerRoot + QLatin1Char('/') + name) ||
           QFileInfo::exists(layerRoot + QLatin1Char('/') + name + QStringLiteral(".in"));
}

// A header of Qt Widgets or of the printing support built on it.
bool widgetHeader(const QString& name, const QStringList& widgetFolders)
{
    static const QRegularExpression named(QStringLiteral(
        "^(QtWidgets|QtPrintSupport)/|^Q\\w*Widget$|^(QDialog|QMessageBox|QApplication|QPrinter|QPrintDialog|"
        "QPrintPreviewDialog)$"));
    if (named.match(name).hasMatch()) {
        return true;
    }
    for (const QString& folder : widgetFolders) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + name)) {
            return true;
        }
    }
    return false;
}

bool guiHeader(const QString& name, const QStringList& guiFolders)
{
    static const QRegularExpression named(QStringLiteral(
        "^(QtWidgets|QtGui)/|^Q\\w*Widget$|^(QDialog|QMessageBox|QCursor|QGuiApplication|QApplication)$"));
    if (named.match(name).hasMatch()) {
        return true;
    }
    for (const QString& folder : guiFolders) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + name)) {
            return true;
        }
    }
    return false;
}

bool layered(const QString& top)
{
    return top == QLatin1String("core") || top == QLatin1String("print") || top == QLatin1String("gui");
}

// "core/db" for "core/db/x.cpp", "app" for "app/main.cpp".
QString folderOf(const QString& file)
{
    const QStringList parts = file.split(QLatin1Char('/'));
    if (parts.size() >= 3 && layered(parts[0])) {
        return parts[0] + QLatin1Char('/') + parts[1];
    }
    return parts[0];
}

// The file a quoted include of `file` names, relative to the source root; empty when it is
// none of the program's (a generated header, a file beside the tests).
QString resolve(const QString& root, const QString& file, const QString& name)
{
    const QString layer = file.section(QLatin1Char('/'), 0, 0);
    QStringList roots;
    if (layer == QLatin1String("core")) {
        roots = {QStringLiteral("core")};
    } else if (layer == QLatin1String("print")) {
        roots = {QStringLiteral("print"), QStringLiteral("core")};
    } else if (layer == QLatin1String("gui")) {
        roots = {QStringLiteral("gui"), QStringLiteral("print"), QStringLiteral("core")};
    } else {
        roots = {QFileInfo(file).path(), QStringLiteral("gui"), QStringLiteral("print"), QStringLiteral("core")};
    }
    for (const QString& r : roots) {
        if (headerIn(root + QLatin1Char('/') + r, name)) {
            return r + QLatin1Char('/') + name;
        }
    }
    return QString();
}

// Every circle of folders: the strongly connected components of more than one folder.
QStringList circles(const QMap<QString, QSet<QString>>& edges)
{
    QHash<QString, int> index, low;
    QStringList stack;
    QSet<QString> onStack;
    QStringList found;
    int next = 0;
    std::function<void(const QString&)> visit = [&](const QString& v) {
        index[v] = low[v] = next++;
        stack << v;
        onStack.insert(v);
        for (const QString& w : edges.value(v)) {
            if (!index.contains(w)) {
                visit(w);
                low[v] = qMin(low[v], low[w]);
            } else if (onStack.contains(w)) {
                low[v] = qMin(low[v], index[w]);
            }
        }
        if (low[v] == index[v]) {
            QStringList component;
            QString w;
            do {
                w = stack.takeLast();
                onStack.remove(w);
                component << w;
            } while (w != v);
            if (component.size() > 1) {
                component.sort();
                found << component.join(QStringLiteral(" -> ")) + QStringLiteral(" -> ") + component.first();
            }
        }
    };
    for (auto it = edges.cbegin(); it != edges.cend(); ++it) {
        if (!index.contains(it.key())) {
            visit(it.key());
        }
    }
    return found;
}

} // namespace

LayerReport CheckLayers(const QString& srcRoot, const QStringList& guiHeaderFolders,
                        const QStringList& allowedLongFiles, int lineLimit)
{
    LayerReport report;
    QStringList guiFolders;
    QStringList widgetFolders;
    for (const QString& folder : guiHeaderFolders) {
        const QString name = QFileInfo(folder).fileName();
        if (name == QLatin1String("QtGui") || name == QLatin1String("QtWidgets")) {
            guiFolders << folder;
        }
        if (name == QLatin1String("QtWidgets") || name == QLatin1String("QtPrintSupport")) {
            widgetFolders << folder;
        }
    }

    const QStringList files = sourceFiles(srcRoot);
    QMap<QString, QSet<QString>> edges;
    QSet<QString> ambiguous;
    for (const QString& file : files) {
        const QString text = readAll(srcRoot + QLatin1Char('/') + file);
        const bool core = file.startsWith(QLatin1String("core/"));
        const bool print = file.startsWith(QLatin1String("print/"));
        const QString from = folderOf(file);
        edges[from];
        for (const Include& include : includesOf(text)) {
            if (include.angled) {
                if ((core && guiHeader(include.name, guiFolders)) ||
                    (print && widgetHeader(include.name, widgetFolders))) {
                    report.forbiddenIncludes
                        << file + QStringLiteral(": <") + include.name + QLatin1Char('>');
                }
                continue;
            }
            if (include.name.contains(QLatin1String(".."))) {
                if (core || print) {
                    report.forbiddenIncludes
                        << file + QStringLiteral(": \"") + include.name + QLatin1Char('"');
                }
                continue;
            }
            int layers = 0;
            for (const char* layer : {"/core", "/print", "/gui"}) {
                layers += headerIn(srcRoot + QLatin1String(layer), include.name) ? 1 : 0;
            }
            if (layers > 1) {
                ambiguous.insert(include.name);
            }
            const QString target = resolve(srcRoot, file, include.name);
            if ((core && !target.startsWith(QLatin1String("core/"))) ||
                (print && !target.startsWith(QLatin1String("print/")) && !target.startsWith(QLatin1String("core/")))) {
                report.forbiddenIncludes << file + QStringLiteral(": \"") + include.name + QLatin1Char('"');
                continue;
            }
            if (!target.isEmpty() && folderOf(target) != from) {
                edges[from].insert(folderOf(target));
            }
        }

        const int lines = text.count(QLatin1Char('\n')) + (text.endsWith(QLatin1Char('\n')) ? 0 : 1);
        if (lines > lineLimit && !allowedLongFiles.contains(file)) {
            report.longFiles << file + QStringLiteral(": %1 lines").arg(lines);
        } else if (lines <= lineLimit && allowedLongFiles.contains(file)) {
            report.staleAllowances << file;
        }
    }
    for (const QString& allowed : allowedLongFiles) {
        if (!files.contains(allowed)) {
            report.staleAllowances << allowed;
        }
    }
    report.ambiguousHeaders = QStringList(ambiguous.cbegin(), ambiguous.cend());
    report.ambiguousHeaders.sort();
    report.cycles = circles(edges);
    return report;
}
