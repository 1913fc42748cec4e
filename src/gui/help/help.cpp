#include "help/help.h"

#include "common/messages.h"
#include "help/help_window.h"

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

QString pagePath(const QString& file)
{
    return QDir(Help::folder()).filePath(file);
}

// The help window of the parent's window, made when there is none yet.
void showInWindow(QWidget* parent, const QString& file)
{
    QWidget* owner = parent ? parent->window() : nullptr;
    HelpWindow* window =
        owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) {
        window = new HelpWindow(owner);
    }
    window->showPage(file);
    window->show();
    window->raise();
    window->activateWindow();
}

void openOrReport(QWidget* parent, const QString& file)
{
    if (!QFileInfo::exists(pagePath(QStringLiteral("index.html")))) {
        Messages::information(
            parent, QStringLiteral("VORNA"),
            QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));
        return;
    }
    if (!QFileInfo::exists(pagePath(file))) {
        Messages::exclamation(parent, QStringLiteral("VORNA"),
                              QStringLiteral("ヘルプを表示できませんでした。\n") +
                                  QDir::toNativeSeparators(pagePath(file)));
        return;
    }
    showInWindow(parent, file);
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

void openContents(QWidget* parent)
{
    openOrReport(parent, QStringLiteral("index.html"));
}

void openTopic(QWidget* parent, int topicNumber)
{
    openOrReport(parent, QStringLiteral("%1.html").arg(topicNumber));
}

void openHomePage(QWidget* parent)
{
    const QString page = pagePath(QStringLiteral("index.html"));
    if (!QFileInfo::exists(page)) {
        Messages::exclamation(parent, QStringLiteral("VORNA"),
                              QStringLiteral("ホームページを開けませんでした。\n") +
                                  QDir::toNativeSeparators(page));
        return;
    }
    showInWindow(parent, QStringLiteral("index.html"));
}

bool openInBrowser(QWidget* parent, const QUrl& url)
{
    const bool opened = opener() ? opener()(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        Messages::exclamation(parent, QStringLiteral("VORNA"),
                              QStringLiteral("ブラウザを起動できませんでした。\n") +
                                  url.toDisplayString(QUrl::PreferLocalFile));
    }
    return opened;
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
