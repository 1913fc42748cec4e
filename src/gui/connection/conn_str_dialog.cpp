#include "connection/conn_str_dialog.h"

#include "common/form_widgets.h"
#include "common/messages.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "help/help.h"
#include "settings/settings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ConnStrDialog::ConnStrDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConnStr"));
    setWindowTitle(QStringLiteral("ＤＢ接続パラメタ編集"));
    Help::setTopic(this, 6);

    m_dbName = NamedBox(this, QStringLiteral("txtDBName"));
    m_userID = NamedBox(this, QStringLiteral("txtUserID"));
    m_passwd = NamedBox(this, QStringLiteral("txtPasswd"));
    m_passwd->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("DB名"), m_dbName);
    form->addRow(QStringLiteral("ユーザ名"), m_userID);
    form->addRow(QStringLiteral("パスワード"), m_passwd);

    auto* check = NamedButton(this, QStringLiteral("cmbChk"), QStringLiteral("接続確認"));
    auto* ok = NamedButton(this, QStringLiteral("OKButton"), QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = NamedButton(this, QStringLiteral("CancelButton"), QStringLiteral("ｷｬﾝｾﾙ"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addSpacing(12);
    buttons->addWidget(check);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());

    const ConnSettings s = ConnSettings::fromStore();
    m_dbName->setText(s.dbName);
    m_userID->setText(s.userID);
    m_passwd->setText(s.passwd);

    connect(check, &QPushButton::clicked, this, &ConnStrDialog::testConnection);
    connect(ok, &QPushButton::clicked, this, &ConnStrDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ConnStrDialog::reject);
}

void ConnStrDialog::testConnection()
{
    const QString base = Settings::text(Settings::ConnStrBase);
    const ConnectionParams params =
        ConnectionParams::resolve(base, m_userID->text(), m_passwd->text(), m_dbName->text());
    try {
        std::unique_ptr<DbConnection> trial = DbConnection::open(params);
        const bool isOpen = trial->database().isOpen();
        trial.reset();
        if (isOpen) {
            Messages::information(this, QStringLiteral("確認"), QStringLiteral("接続に成功しました。"));
        } else {
            Messages::exclamation(
                this, QStringLiteral("エラー"),
                QStringLiteral("接続に失敗しました。ADO 2.5がインストールされていない可能性があります。"));
        }
    } catch (const DbError& e) {
        Messages::exclamation(this, QStringLiteral("エラー"),
                              QStringLiteral("接続に失敗しました。\n") + e.description());
    }
}

void ConnStrDialog::accept()
{
    if (m_dbName->text().isEmpty() || m_userID->text().isEmpty() || m_passwd->text().isEmpty()) {
        Messages::exclamation(this, QStringLiteral("必須エラー"),
                              QStringLiteral("全ての項目を入力してください。"));
        return;
    }
    const bool saved = Settings::write({{Settings::ConnStrBase, Settings::text(Settings::ConnStrBase)},
                                        {Settings::DBName, m_dbName->text()},
                                        {Settings::UserID, m_userID->text()},
                                        {Settings::Passwd, m_passwd->text()}});
    if (!saved) {
        Messages::settingsNotSaved(this);
        return;
    }
    Messages::information(this, QStringLiteral("確認"),
                          QStringLiteral("DB接続情報を更新しました。次回起動時に有効になります。"));
    QDialog::accept();
}
