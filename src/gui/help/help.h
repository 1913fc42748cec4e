#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;
class QApplication;

// Help is a folder of HTML pages (beside the program in a build tree, share/vorna/help once
// installed): index.html is the contents page and <topic>.html the page of each help topic
// number. The pages open in the program's own help window (HelpWindow); F1 in any window opens
// the topic that the window has set.
namespace Help {

QString folder();
void setFolder(const QString& path); // tests

// Sets the topic a window shows on F1; windows change it as their tabs change.
void setTopic(QWidget* window, int topic);
int topic(const QWidget* window);

// The contents or a topic in the help window of the parent's window, telling the user when the
// help is not there: the contents message when the folder has no contents page, the page's
// path when the page is missing.
void openContents(QWidget* parent);
void openTopic(QWidget* parent, int topic);

// The program's home page, which is its documentation: the contents in the help window, or a
// message naming the page when it is missing.
void openHomePage(QWidget* parent);

// A page handed to the system browser; false, after telling the user, when none could be
// started.
bool openInBrowser(QWidget* parent, const QUrl& url);

// Tests catch the pages handed to the browser instead of starting one.
void setOpener(std::function<bool(const QUrl&)> opener);

// Installs the F1 key on the application.
void install(QApplication& app);

} // namespace Help
