#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

// frmHelp: VORNA's own viewer of its help pages, so that help needs no browser. Back, forward
// and the contents page, and the pages' links followed in the window; a link to anything but a
// help page, and the page shown (ブラウザで開く), go to the system browser.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own that belongs to the window it was asked from, so that a modal editor
    // does not block it.
    explicit HelpWindow(QWidget* owner);

    // A page of the help folder, "index.html" or "16.html".
    void showPage(const QString& file);
    QTextBrowser* browser() const { return m_browser; }

private:
    void followLink(const QUrl& url);
    void pageChanged();

    QTextBrowser* m_browser;
    QPushButton* m_back;
    QPushButton* m_forward;
};
