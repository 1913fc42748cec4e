#include "help/help_window.h"

#include "common/dialog_placement.h"
#include "common/form_widgets.h"
#include "common/icons.h"
#include "help/help.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("VORNA ヘルプ"));

    m_back = NamedButton(this, QStringLiteral("cmdBack"), QStringLiteral("戻る"));
    m_back->setIcon(Icons::styleIcon(this, QStyle::SP_ArrowBack));
    m_forward = NamedButton(this, QStringLiteral("cmdForward"), QStringLiteral("進む"));
    m_forward->setIcon(Icons::styleIcon(this, QStyle::SP_ArrowForward));
    auto* contents = NamedButton(this, QStringLiteral("cmdContents"), QStringLiteral("目次"));
    auto* external = NamedButton(this, QStringLiteral("cmdBrowser"), QStringLiteral("ブラウザで開く"));
    external->setToolTip(QStringLiteral("表示中のページをシステムのブラウザで開きます"));
    auto* close = NamedButton(this, QStringLiteral("cmdClose"), QStringLiteral("閉じる"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    // Links are followed here: help pages in this window, anything else in the browser.
    m_browser->setOpenLinks(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(contents);
    bar->addStretch(1);
    bar->addWidget(external);
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);
    resize(QSize(720, 600).boundedTo(ScreenRoom(this)));

    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { showPage(QStringLiteral("index.html")); });
    connect(external, &QPushButton::clicked, this,
            [this] { Help::openInBrowser(this, m_browser->source()); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(m_browser, &QTextBrowser::historyChanged, this, &HelpWindow::pageChanged);
    pageChanged();
}

void HelpWindow::showPage(const QString& file)
{
    m_browser->setSource(QUrl::fromLocalFile(QDir(Help::folder()).filePath(file)));
}

void HelpWindow::followLink(const QUrl& url)
{
    const QUrl target = m_browser->source().resolved(url);
    if (target.isLocalFile()) {
        m_browser->setSource(target);
    } else {
        Help::openInBrowser(this, target);
    }
}

void HelpWindow::pageChanged()
{
    m_back->setEnabled(m_browser->isBackwardAvailable());
    m_forward->setEnabled(m_browser->isForwardAvailable());
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("VORNA ヘルプ") : title);
}
