#include "documents/issuer_dialog.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "documents/issuer.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("入力確認");

QPlainTextEdit* memo(QWidget* parent, const QString& name, int lines)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * lines + 12);
    return box;
}

// A whole number typed in the box, or nothing when it is none.
bool wholeNumber(const QLineEdit* box, int* value)
{
    double number = 0;
    if (!ParseNumber(box->text(), &number) || number != static_cast<int>(number)) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

} // namespace

IssuerDialog::IssuerDialog(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state)
{
    setObjectName(QStringLiteral("frmIssuer"));
    setWindowTitle(QStringLiteral("発行者情報"));
    Help::setTopic(this, 70);

    m_company = NamedBox(this, QStringLiteral("txtCompany"), 360);
    m_postal = NamedBox(this, QStringLiteral("txtPostal"), 110);
    m_address[0] = NamedBox(this, QStringLiteral("txtAddress_0"), 360);
    m_address[1] = NamedBox(this, QStringLiteral("txtAddress_1"), 360);
    m_tel = NamedBox(this, QStringLiteral("txtTel"), 180);
    m_regNo = NamedBox(this, QStringLiteral("txtRegNo"), 180);
    m_regNo->setPlaceholderText(QStringLiteral("T1234567890123"));
    m_person = NamedBox(this, QStringLiteral("txtPerson"), 180);
    m_payTerms = memo(this, QStringLiteral("txtPayTerms"), 3);
    m_validDays = NumberBox(this, QStringLiteral("txtValidDays"), 60);
    m_taxRate = NumberBox(this, QStringLiteral("txtTaxRate"), 60);
    AttachNumericFilter(m_validDays, false, false);
    AttachNumericFilter(m_taxRate, false, false);
    m_taxRound = NamedCombo(this, QStringLiteral("cmbTaxRound"));
    m_taxRound->addItem(QStringLiteral("切り捨て"), static_cast<int>(TaxRounding::Down));
    m_taxRound->addItem(QStringLiteral("四捨五入"), static_cast<int>(TaxRounding::HalfUp));
    m_taxRound->addItem(QStringLiteral("切り上げ"), static_cast<int>(TaxRounding::Up));
    m_remarks = memo(this, QStringLiteral("txtRemarks"), 4);

    LimitText(m_company, 100);
    LimitText(m_postal, 10);
    LimitText(m_address[0], 100);
    LimitText(m_address[1], 100);
    LimitText(m_tel, 30);
    LimitText(m_regNo, 14);
    LimitText(m_person, 50);
    LimitText(m_payTerms, 500);
    LimitText(m_remarks, 1000);

    // A short box keeps its own width, with its unit after it.
    const auto withUnit = [this](QWidget* box, const QString& unit) {
        auto* row = new QHBoxLayout;
        row->addWidget(box);
        if (!unit.isEmpty()) {
            row->addWidget(new QLabel(unit, this));
        }
        row->addStretch();
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow(NamedLabel(this, QStringLiteral("lblCompany"), QStringLiteral("会社名")), m_company);
    form->addRow(NamedLabel(this, QStringLiteral("lblPostal"), QStringLiteral("郵便番号")), m_postal);
    form->addRow(NamedLabel(this, QStringLiteral("lblAddress"), QStringLiteral("住所")), m_address[0]);
    form->addRow(QString(), m_address[1]);
    form->addRow(NamedLabel(this, QStringLiteral("lblTel"), QStringLiteral("電話番号")), m_tel);
    form->addRow(NamedLabel(this, QStringLiteral("lblRegNo"), QStringLiteral("登録番号")), m_regNo);
    form->addRow(NamedLabel(this, QStringLiteral("lblPerson"), QStringLiteral("担当者")), m_person);
    form->addRow(NamedLabel(this, QStringLiteral("lblPayTerms"), QStringLiteral("支払条件")), m_payTerms);
    form->addRow(NamedLabel(this, QStringLiteral("lblValidDays"), QStringLiteral("有効期限")),
                 withUnit(m_validDays, QStringLiteral("日（発行日から）")));
    form->addRow(NamedLabel(this, QStringLiteral("lblTaxRate"), QStringLiteral("消費税率")),
                 withUnit(m_taxRate, QStringLiteral("%")));
    form->addRow(NamedLabel(this, QStringLiteral("lblTaxRound"), QStringLiteral("端数処理")),
                 withUnit(m_taxRound, QString()));
    form->addRow(NamedLabel(this, QStringLiteral("lblRemarks"), QStringLiteral("備考")), m_remarks);

    auto* ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("保存"));
    auto* cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("キャンセル"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* note = new QLabel(
        QStringLiteral("見積書の発行者として印刷されます。データベースを使う全員に共通です。"), this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &IssuerDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const std::optional<IssuerDetails> stored = LoadIssuer(*state.Conn);
    m_stored = stored.has_value();
    showDetails(stored.value_or(IssuerDetails()));
}

void IssuerDialog::showDetails(const IssuerDetails& details)
{
    m_company->setText(details.company);
    m_postal->setText(details.postalCode);
    m_address[0]->setText(details.address1);
    m_address[1]->setText(details.address2);
    m_tel->setText(details.telephone);
    m_regNo->setText(details.registrationNumber);
    m_person->setText(details.person);
    m_payTerms->setPlainText(details.paymentTerms);
    m_validDays->setText(QString::number(details.validityDays));
    m_taxRate->setText(QString::number(details.taxRate));
    m_taxRound->setCurrentIndex(m_taxRound->findData(static_cast<int>(details.rounding)));
    m_remarks->setPlainText(details.remarks);
}

bool IssuerDialog::validate()
{
    const Engine engine = m_state.Conn->engine();
    if (m_company->text().trimmed().isEmpty()) {
        Messages::required(this, QStringLiteral("会社名"));
        m_company->setFocus();
        return false;
    }
    const QString number = m_regNo->text().trimmed();
    if (!number.isEmpty() && !IsRegistrationNumber(number)) {
        Messages::information(this, kTitle, QStringLiteral("登録番号は T と13桁の数字で入力してください。"));
        m_regNo->setFocus();
        return false;
    }
    int value = 0;
    if (!wholeNumber(m_validDays, &value) || value < Issuer::kMinValidityDays ||
        value > Issuer::kMaxValidityDays) {
        Messages::information(this, kTitle,
                              QStringLiteral("有効期限は%1から%2までの日数で入力してください。")
                                  .arg(Issuer::kMinValidityDays)
                                  .arg(Issuer::kMaxValidityDays));
        m_validDays->setFocus();
        return false;
    }
    if (!wholeNumber(m_taxRate, &value) || value < Issuer::kMinTaxRate || value > Issuer::kMaxTaxRate) {
        Messages::information(this, kTitle,
                              QStringLiteral("消費税率は%1から%2までの数で入力してください。")
                                  .arg(Issuer::kMinTaxRate)
                                  .arg(Issuer::kMaxTaxRate));
        m_taxRate->setFocus();
        return false;
    }
    const QList<std::pair<const char*, QWidget*>> texts = {
        {"会社名", m_company}, {"郵便番号", m_postal}, {"住所", m_address[0]},   {"住所", m_address[1]},
        {"電話番号", m_tel},   {"担当者", m_person},   {"支払条件", m_payTerms}, {"備考", m_remarks}};
    for (const auto& [caption, box] : texts) {
        if (!CheckTextBox(this, engine, QString::fromUtf8(caption), box)) {
            return false;
        }
    }
    return true;
}

void IssuerDialog::save()
{
    if (!validate()) {
        return;
    }
    IssuerDetails details;
    details.company = m_company->text().trimmed();
    details.postalCode = m_postal->text().trimmed();
    details.address1 = m_address[0]->text().trimmed();
    details.address2 = m_address[1]->text().trimmed();
    details.telephone = m_tel->text().trimmed();
    details.registrationNumber = m_regNo->text().trimmed();
    details.person = m_person->text().trimmed();
    details.paymentTerms = m_payTerms->toPlainText();
    wholeNumber(m_validDays, &details.validityDays);
    wholeNumber(m_taxRate, &details.taxRate);
    details.rounding = static_cast<TaxRounding>(m_taxRound->currentData().toInt());
    details.remarks = m_remarks->toPlainText();
    const bool saved = RunHandler(this, [&] {
        const WaitCursor wait;
        SaveIssuer(*m_state.Conn, details);
    });
    if (saved) {
        m_stored = true;
        closeSaved();
    }
}
