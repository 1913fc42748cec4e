#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;
class QApplication;

// Help is a folder of HTML pages (beside the program in a build tree, share/vorna/help once
// installed): index.html is the contents page and <topic>.html the page of each help topic
// number. F1 in any window opens the topic that the window has set.
namespace Help {

QString folder();
void setFolder(const QString& path); // tests

// Sets the topic a window shows on F1; windows change it as their tabs change.
void setTopic(QWidget* window, int topic);
int topic(const QWidget* window);

// Opens the contents in the system browser; false when the folder or page is missing.
bool showContents();

// The contents or a topic, telling the user when the help is not there: the contents message
// when the folder has no contents page, the page's path when it cannot be shown.
void openContents(QWidget* parent);
void openTopic(QWidget* parent, int topic);

// Tests catch the pages instead of starting a browser.
void setOpener(std::function<bool(const QUrl&)> opener);

// Installs the F1 key on the application.
void install(QApplication& app);

} // namespace Help
