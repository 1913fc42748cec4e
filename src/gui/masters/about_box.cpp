#include "masters/about_box.h"

#include "common/form_widgets.h"
#include "common/icons.h"
#include "common/messages.h"
#include "help/help.h"

#include "program/version.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr int kTextWidth = 440;

QPixmap programIcon(int size)
{
    return Icons::application().pixmap(size, size);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = NamedLabel(parent, name, text);
    label->setWordWrap(true);
    // Wrapped texts need a fixed width for the dialog to take its height from them.
    label->setFixedWidth(kTextWidth);
    return label;
}

} // namespace

QString VersionText()
{
    return QStringLiteral("Ver.%1.%2.%3")
        .arg(VORNA_VERSION_MAJOR)
        .arg(VORNA_VERSION_MINOR)
        .arg(VORNA_VERSION_PATCH);
}

QStringList SystemInfoTools()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
}

bool StartSysInfo()
{
    for (const QString& tool : SystemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (!path.isEmpty()) {
            return QProcess::startDetached(path, {});
        }
    }
    return false;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("VORNAについて"));

    auto* icon = NamedLabel(this, QStringLiteral("picIcon"), QString());
    icon->setPixmap(programIcon(64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setFixedWidth(80);

    auto* title = makeLabel(this, QStringLiteral("lblTitle"), QStringLiteral("ＶＯＲＮＡ"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.0);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* version = makeLabel(this, QStringLiteral("lblVersion"), QStringLiteral("Ver 1.0"));
    version->setText(VersionText());

    auto* description =
        makeLabel(this, QStringLiteral("lblDescription"),
                  QStringLiteral("プロジェクトマネージャの初期工程をサポートするツールのクライアントです。"));

    auto* notice = makeLabel(this, QStringLiteral("Label1"),
                             QStringLiteral("Copyright (C) 2025 VORNA 開発チーム. All rights reserved."));
    auto* contact =
        makeLabel(this, QStringLiteral("Label2"),
                  QStringLiteral("ご質問・不具合のご連絡は、VORNA 開発チームまでお寄せください。"));
    auto* homeCaption = NamedLabel(this, QStringLiteral("Label3"), QStringLiteral("ホームページ："));
    // The program's home page is its documentation, shipped beside it (as the main window's
    // home-page command opens it); a missing page is reported, not passed over.
    auto* home = NamedLabel(this, QStringLiteral("Label4"),
                            QStringLiteral("<a href=\"help\">VORNA ヘルプ（help/index.html）</a>"));
    home->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(home, &QLabel::linkActivated, this, [this] { Help::openHomePage(this); });
    auto* disclaimer = makeLabel(
        this, QStringLiteral("lblDisclaimer"),
        QStringLiteral(
            "本ソフトウェアが算出する工数・価格・利益は、入力された規模・単価・ポリシーに基づく見積りの"
            "参考値です。契約・入札の判断は利用者ご自身の責任で行ってください。本ソフトウェアの使用"
            "または使用不能により生じたいかなる損害についても、作成者は責任を負いません。"));
    QFont small = disclaimer->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    disclaimer->setFont(small);

    auto* ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    ok->setDefault(true);
    auto* sysInfo = NamedButton(this, QStringLiteral("cmdSysInfo"), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
    for (QPushButton* button : {ok, sysInfo}) {
        button->setMinimumWidth(120);
    }

    auto* homeRow = new QHBoxLayout;
    homeRow->addWidget(homeCaption);
    homeRow->addWidget(home);
    homeRow->addStretch();

    auto* text = new QVBoxLayout;
    text->setSpacing(6);
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(4);
    text->addWidget(description);
    text->addSpacing(6);
    text->addWidget(SeparatorLine(this, QStringLiteral("Line1_0")));
    text->addWidget(notice);
    text->addWidget(contact);
    text->addLayout(homeRow);
    text->addWidget(SeparatorLine(this, QStringLiteral("Line1_1")));
    text->addWidget(disclaimer);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(18, 18, 18, 14);
    main->setSpacing(14);
    main->addLayout(top);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    // Enter (the default button) and Esc (reject) both close.
    connect(ok, &QPushButton::clicked, this, &AboutBox::accept);
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::showSystemInfo);
}

void AboutBox::showSystemInfo()
{
    if (!StartSysInfo()) {
        Messages::show(this, Messages::NoIcon, QStringLiteral("VORNA"),
                       QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
    }
}
