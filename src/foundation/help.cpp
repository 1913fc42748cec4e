#include "foundation/help.h"

#include "foundation/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWidget>

namespace {

const char* const kTopicProperty = "vornaHelpTopic";

QString& folderOverride()
{
    static QString path;
    return path;
}

std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> open;
    return open;
}

bool openPage(const QString& file)
{
    const QString path = QDir(Help::folder()).filePath(file);
    if (!QFileInfo::exists(path)) {
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    return opener() ? opener()(url) : QDesktopServices::openUrl(url);
}

class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget) {
                const int t = Help::topic(widget->window());
                if (t > 0) {
                    Help::openTopic(widget->window(), t);
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace Help {

QString folder()
{
    if (!folderOverride().isEmpty()) {
        return folderOverride();
    }
    // Beside the program in a build tree; in the shared data folder, found relative to the
    // program, once installed.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString besideProgram = programFolder.filePath(QStringLiteral("help"));
    if (QFileInfo(besideProgram).isDir()) {
        return besideProgram;
    }
    return QDir::cleanPath(programFolder.filePath(QStringLiteral(VORNA_HELP_FROM_BINDIR)));
}

void setFolder(const QString& path)
{
    folderOverride() = path;
}

void setTopic(QWidget* window, int topicNumber)
{
    window->setProperty(kTopicProperty, topicNumber);
}

int topic(const QWidget* window)
{
    return window ? window->property(kTopicProperty).toInt() : 0;
}

bool showContents()
{
    return openPage(QStringLiteral("index.html"));
}

namespace {

void openOrReport(QWidget* parent, const QString& file)
{
    if (!QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("index.html")))) {
        Messages::information(
            parent, QStringLiteral("VORNA"),
            QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));
        return;
    }
    if (!openPage(file)) {
        Messages::exclamation(parent, QStringLiteral("VORNA"),
                              QStringLiteral("ヘルプを表示できませんでした。\n") +
                                  QDir::toNativeSeparators(QDir(folder()).filePath(file)));
    }
}

} // namespace

void openContents(QWidget* parent)
{
    openOrReport(parent, QStringLiteral("index.html"));
}

void openTopic(QWidget* parent, int topicNumber)
{
    openOrReport(parent, QStringLiteral("%1.html").arg(topicNumber));
}

void setOpener(std::function<bool(const QUrl&)> open)
{
    opener() = std::move(open);
}

void install(QApplication& app)
{
    app.installEventFilter(new HelpKeyFilter(&app));
}

} // namespace Help
