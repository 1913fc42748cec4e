#include "pricing/policy_dialog.h"

#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_keys.h"
#include "common/tab_pages.h"
#include "convert/conversions.h"
#include "help/help.h"
#include "pricing/check_values.h"
#include "settings/policy.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel* minus(QWidget* parent)
{
    return new QLabel(QStringLiteral("－ "), parent);
}

QLabel* explanation(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setContentsMargins(24, 0, 0, 0);
    return label;
}

QWidget* page(QTabWidget* tabs, int index, const QString& caption)
{
    auto* widget = new QWidget(tabs);
    widget->setObjectName(QStringLiteral("picOptions_%1").arg(index));
    AddScrollingTab(tabs, widget, caption);
    return widget;
}

const int kTopics[] = {26, 28, 30};

} // namespace

PolicyDialog::PolicyDialog(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state)
{
    setObjectName(QStringLiteral("frmPolicy"));
    setWindowTitle(QStringLiteral("ポリシー編集"));
    Help::setTopic(this, 26);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));

    // Net profit.
    QWidget* profit = page(m_tabs, 0, QStringLiteral("純利益"));
    auto* profitGrid = new QGridLayout(profit);
    profitGrid->addWidget(new QLabel(QStringLiteral("純利益 ＝ 受注金額"), profit), 0, 0, 1, 3);
    m_work = checkBox(profit, QStringLiteral("chkWork"), QStringLiteral("人件費（"));
    m_indirect = checkBox(profit, QStringLiteral("chkIndirect"), QStringLiteral("間接工数を含む )"));
    m_base = checkBox(profit, QStringLiteral("chkBase"), QStringLiteral("基本料金"));
    m_opt = checkBox(profit, QStringLiteral("chkOpt"), QStringLiteral("契約オプション費"));
    m_deliv = checkBox(profit, QStringLiteral("chkDeliv"), QStringLiteral("納品オプション費"));
    m_expe[0] = checkBox(profit, QStringLiteral("chkExpe_0"), QStringLiteral("経費(自社)"));
    m_expe[1] = checkBox(profit, QStringLiteral("chkExpe_1"), QStringLiteral("経費(顧客)"));
    QCheckBox* profitRows[] = {m_work, m_base, m_opt, m_deliv, m_expe[0], m_expe[1]};
    for (int row = 0; row < 6; ++row) {
        profitGrid->addWidget(minus(profit), row + 1, 0);
        profitGrid->addWidget(profitRows[row], row + 1, 1);
    }
    profitGrid->addWidget(m_indirect, 1, 2);
    profitGrid->setColumnStretch(3, 1);
    profitGrid->setRowStretch(7, 1);

    // Profit rate.
    QWidget* rate = page(m_tabs, 1, QStringLiteral("利益率"));
    auto* rateLayout = new QHBoxLayout(rate);
    auto* basis = new QVBoxLayout;
    basis->addWidget(new QLabel(QStringLiteral("利益率 ＝ 純利益 × 100 ÷ "), rate));
    m_input = new QRadioButton(QStringLiteral("受注金額"), rate);
    m_input->setObjectName(QStringLiteral("optInput"));
    m_workRate = new QRadioButton(QStringLiteral("作業費"), rate);
    m_workRate->setObjectName(QStringLiteral("optWork"));
    m_output = new QRadioButton(QStringLiteral("出費"), rate);
    m_output->setObjectName(QStringLiteral("optOutput"));
    for (QRadioButton* option : {m_input, m_workRate, m_output}) {
        option->setContentsMargins(24, 0, 0, 0);
        basis->addWidget(option);
    }
    basis->addStretch();
    rateLayout->addLayout(basis);
    auto* outlay = new QGroupBox(rate);
    outlay->setObjectName(QStringLiteral("fraOutput"));
    auto* outlayGrid = new QGridLayout(outlay);
    m_workR = checkBox(outlay, QStringLiteral("chkWorkR"), QStringLiteral("人件費（"));
    m_indirectR = checkBox(outlay, QStringLiteral("chkIndirectR"), QStringLiteral("間接工数を含む )"));
    m_baseR = checkBox(outlay, QStringLiteral("chkBaseR"), QStringLiteral("基本料金"));
    m_optR = checkBox(outlay, QStringLiteral("chkOptR"), QStringLiteral("契約オプション費"));
    m_delivR = checkBox(outlay, QStringLiteral("chkDelivR"), QStringLiteral("納品オプション費"));
    m_expeR[0] = checkBox(outlay, QStringLiteral("chkExpeR_0"), QStringLiteral("経費(自社)"));
    m_expeR[1] = checkBox(outlay, QStringLiteral("chkExpeR_1"), QStringLiteral("経費(顧客)"));
    QCheckBox* outlayRows[] = {m_workR, m_baseR, m_optR, m_delivR, m_expeR[0], m_expeR[1]};
    for (int row = 0; row < 6; ++row) {
        outlayGrid->addWidget(outlayRows[row], row, 0);
    }
    outlayGrid->addWidget(m_indirectR, 0, 1);
    outlayGrid->setRowStretch(6, 1);
    rateLayout->addWidget(outlay, 1);

    // Hours.
    QWidget* hours = page(m_tabs, 2, QStringLiteral("工数"));
    auto* hoursLayout = new QVBoxLayout(hours);
    m_charge = NamedCombo(hours, QStringLiteral("cmbCharge"));
    m_charge->addItem(QStringLiteral("作業メンバの職種で計算する"));
    m_charge->addItem(QStringLiteral("工程別単価で計算する"));
    auto* chargeRow = new QHBoxLayout;
    chargeRow->addWidget(m_charge);
    chargeRow->addStretch();
    hoursLayout->addLayout(chargeRow);
    hoursLayout->addWidget(
        explanation(hours, QStringLiteral("見積工数から作業費を算出する時の単価に何を使用するかを指定します。"
                                          "本項目を変更しても作成済みの機能項目には即座に反映されません。")));
    hoursLayout->addSpacing(8);
    m_hour = checkBox(hours, QStringLiteral("chkHour"), QStringLiteral("間接工数を含めて見積もる"));
    hoursLayout->addWidget(m_hour);
    hoursLayout->addWidget(explanation(
        hours, QStringLiteral("見積工数値に間接工数を含めるかどうかを指定します。"
                              "チェックをONにすると残工数の計算で間接工数を差し引かなくなります。")));
    hoursLayout->addSpacing(8);
    m_mtoH = NumberBox(hours, QStringLiteral("txtMtoH"), 0, QStringLiteral("160"));
    m_mtoH->setMaximumWidth(80);
    AttachNumericFilter(m_mtoH, true, false);
    auto* mtoHRow = new QHBoxLayout;
    mtoHRow->addWidget(m_mtoH);
    mtoHRow->addWidget(new QLabel(QStringLiteral("時間/月"), hours));
    mtoHRow->addStretch();
    hoursLayout->addLayout(mtoHRow);
    hoursLayout->addWidget(explanation(hours, QStringLiteral("１人月あたりの工数を時間で指定します。"
                                                             "COCOMOで工数を算出する計算で使用します。")));
    hoursLayout->addStretch();

    // Enter must not save: neither button is a default button.
    auto* ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("保存"));
    auto* cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    resize(500, 340);

    InstallCtrlTab(this, m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this,
            [this](int index) { Help::setTopic(this, index >= 0 && index < 3 ? kTopics[index] : 26); });
    connect(m_work, &QCheckBox::clicked, this,
            [this] { m_indirect->setEnabled(CheckToBool(CheckValue(m_work))); });
    connect(m_workR, &QCheckBox::clicked, this,
            [this] { m_indirectR->setEnabled(CheckToBool(CheckValue(m_workR))); });
    for (QRadioButton* option : {m_input, m_workRate, m_output}) {
        connect(option, &QRadioButton::clicked, this, &PolicyDialog::enableOutlayOptions);
    }
    connect(ok, &QPushButton::clicked, this, &PolicyDialog::save);
    connect(cancel, &QPushButton::clicked, this, &PolicyDialog::reject);

    loadPolicy();
}

void PolicyDialog::loadPolicy()
{
    const Policy& p = m_state.policy;
    SetCheckValue(m_work, BoolToCheck(p.Work));
    m_indirect->setEnabled(p.Work);
    SetCheckValue(m_indirect, BoolToCheck(p.Indirect));
    SetCheckValue(m_base, BoolToCheck(p.Base));
    SetCheckValue(m_opt, BoolToCheck(p.Opt));
    SetCheckValue(m_deliv, BoolToCheck(p.Deliv));
    SetCheckValue(m_expe[0], BoolToCheck(p.Expe0));
    SetCheckValue(m_expe[1], BoolToCheck(p.Expe1));

    m_input->setChecked(p.Rate == 0);
    m_workRate->setChecked(p.Rate == 1);
    m_output->setChecked(p.Rate == 2);

    SetCheckValue(m_workR, BoolToCheck(p.WorkR));
    m_indirectR->setEnabled(p.WorkR);
    SetCheckValue(m_indirectR, BoolToCheck(p.IndirectR));
    SetCheckValue(m_baseR, BoolToCheck(p.BaseR));
    SetCheckValue(m_optR, BoolToCheck(p.OptR));
    SetCheckValue(m_delivR, BoolToCheck(p.DelivR));
    SetCheckValue(m_expeR[0], BoolToCheck(p.Expe0R));
    SetCheckValue(m_expeR[1], BoolToCheck(p.Expe1R));
    enableOutlayOptions();

    SetCheckValue(m_hour, BoolToCheck(p.Hour));
    m_charge->setCurrentIndex(p.Charge ? 0 : 1);
    m_mtoH->setText(ToText(p.MtoH));
}

void PolicyDialog::enableOutlayOptions()
{
    const bool outlay = m_output->isChecked();
    for (QCheckBox* box : {m_workR, m_indirectR, m_baseR, m_optR, m_delivR, m_expeR[0], m_expeR[1]}) {
        box->setEnabled(outlay);
    }
    if (outlay) {
        m_indirectR->setEnabled(CheckToBool(CheckValue(m_workR)));
    }
}

Policy PolicyDialog::readPolicyFromDialog() const
{
    Policy p = m_state.policy; // Place and Cancel have no control and stay as they are
    p.Work = CheckToBool(CheckValue(m_work));
    p.Indirect = CheckToBool(CheckValue(m_indirect));
    p.Base = CheckToBool(CheckValue(m_base));
    p.Opt = CheckToBool(CheckValue(m_opt));
    p.Deliv = CheckToBool(CheckValue(m_deliv));
    p.Expe0 = CheckToBool(CheckValue(m_expe[0]));
    p.Expe1 = CheckToBool(CheckValue(m_expe[1]));
    p.Rate = m_input->isChecked() ? 0 : (m_workRate->isChecked() ? 1 : 2);
    p.WorkR = CheckToBool(CheckValue(m_workR));
    p.IndirectR = CheckToBool(CheckValue(m_indirectR));
    p.BaseR = CheckToBool(CheckValue(m_baseR));
    p.OptR = CheckToBool(CheckValue(m_optR));
    p.DelivR = CheckToBool(CheckValue(m_delivR));
    p.Expe0R = CheckToBool(CheckValue(m_expeR[0]));
    p.Expe1R = CheckToBool(CheckValue(m_expeR[1]));
    p.Hour = CheckToBool(CheckValue(m_hour));
    p.Charge = m_charge->currentIndex() == 0;
    p.MtoH = WarnOnOverflow(ToInt(m_mtoH->text()));
    return p;
}

void PolicyDialog::save()
{
    if (m_mtoH->text().isEmpty()) {
        Messages::exclamation(this, QStringLiteral("入力不足"),
                              QStringLiteral("１人月あたりの工数が入力されていません。\n"
                                             "COCOMOを使用しない場合でも適当な数値を入力してください。"));
        return;
    }
    if (!CheckNumberBox(this, QStringLiteral("１人月あたりの工数"), m_mtoH)) {
        return;
    }
    const Policy p = readPolicyFromDialog();
    if (!SavePolicy(p)) {
        Messages::settingsNotSaved(this);
        return;
    }
    m_state.policy = p;
    closeSaved();
}
