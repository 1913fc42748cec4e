#include "estimation/function_hours_page.h"

#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "function/function_draft.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kClassCaptions[kCorrectionClasses] = {"新・改", "重要度", "難易度", "安全性", "期間"};

} // namespace

FunctionHoursPage::FunctionHoursPage(FunctionDraft& draft, QWidget* parent) : QWidget(parent), m_draft(draft)
{
    auto* layout = new QVBoxLayout(this);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(4);
    for (int i = 0; i < kProcessRows; ++i) {
        buildRow(i);
    }
    buildTotals();
    layout->addLayout(m_grid);
    layout->addStretch(1);
    connect(&m_draft, &FunctionDraft::classCoefficientChanged, this,
            [this](int i) { m_coefLabels[i]->setText(m_draft.classCoefficientText(i)); });
}

void FunctionHoursPage::buildRow(int i)
{
    ProcessRow& r = m_rows[i];
    r.name = NamedLabel(this, QStringLiteral("lvlHour_%1").arg(i),
                        QStringLiteral("工程%1").arg(QChar(0xFF11 + i)));
    r.name->setMinimumWidth(90);
    r.hours = NumberBox(this, QStringLiteral("txtHour_%1").arg(i), 80);
    AttachNumericFilter(r.hours, false, false);
    r.hoursUnit = NamedLabel(this, QStringLiteral("lblHUnit_%1").arg(i), QStringLiteral("時間"));
    r.times = NamedLabel(this, QStringLiteral("lblX_%1").arg(i), QStringLiteral("×"));
    r.unitPrice = NumberBox(this, QStringLiteral("txtUPrice_%1").arg(i), 100);
    AttachNumericFilter(r.unitPrice, true, true);
    r.yenUnit = NamedLabel(this, QStringLiteral("lblPri_%1").arg(i), QStringLiteral("円"));
    r.equals = NamedLabel(this, QStringLiteral("lblE_%1").arg(i), QStringLiteral("＝"));
    r.price = ValueLabel(this, QStringLiteral("lvlPrice_%1").arg(i), 120);
    r.priceUnit = NamedLabel(this, QStringLiteral("lblPUnit_%1").arg(i), QStringLiteral("円"));
    r.chargedHours = ValueLabel(this, QStringLiteral("lblUHour_%1").arg(i), 80);
    r.chargedHours->setToolTip(
        QStringLiteral("担当入力で割り当てた作業時間の合計です。「担当入力...」で変更します。"));
    r.assign = NamedButton(this, QStringLiteral("cmdHour_%1").arg(i), QStringLiteral("担当入力..."));
    // The boxes clean what is typed as it changes: the draft takes the text they end with.
    connect(r.hours, &QLineEdit::textChanged, this,
            [this, i] { m_draft.setHourText(i, m_rows[i].hours->text()); });
    connect(r.unitPrice, &QLineEdit::textChanged, this,
            [this, i] { m_draft.setUnitPriceText(i, m_rows[i].unitPrice->text()); });
    connect(r.assign, &QPushButton::clicked, this, [this, i] { emit assignRequested(i); });
}

void FunctionHoursPage::buildTotals()
{
    m_hoursTotal = ValueLabel(this, QStringLiteral("lvlHTotal"), 80);
    m_hoursTotalUnit = NamedLabel(this, QStringLiteral("lvlUnit2"), QStringLiteral("時間"));
    m_total = ValueLabel(this, QStringLiteral("lvlTotal"), 120);
    m_correctedTotal = ValueLabel(this, QStringLiteral("lvlCTotal"), 120);
    m_discount = NumberBox(this, QStringLiteral("txtDiscount"), 120);
    AttachNumericFilter(m_discount, true, true);
    connect(m_discount, &QLineEdit::textChanged, this,
            [this] { m_draft.setDiscountText(m_discount->text()); });
    m_price = ValueLabel(this, QStringLiteral("lvlPriAll"), 120);
    MakeBold(m_price);

    m_coefChain = new QWidget(this);
    auto* chain = new QHBoxLayout(m_coefChain);
    chain->setContentsMargins(0, 0, 0, 0);
    chain->setSpacing(2);
    for (int i = 0; i < kCorrectionClasses; ++i) {
        if (i > 0) {
            chain->addWidget(new QLabel(QStringLiteral("×"), m_coefChain));
        }
        m_coefLabels[i] =
            ValueLabel(m_coefChain, QStringLiteral("lvlCoef_%1").arg(i), 36, QStringLiteral("1.00"));
        m_coefLabels[i]->setToolTip(QString::fromUtf8(kClassCaptions[i]));
        chain->addWidget(m_coefLabels[i]);
    }
    chain->addWidget(new QLabel(QStringLiteral("＝"), m_coefChain));
    m_correction = ValueLabel(m_coefChain, QStringLiteral("lvlCofeAll"), 36);
    chain->addWidget(m_correction);
    chain->addStretch(1);

    m_hoursLine = SeparatorLine(this);
    for (const char* caption : {"総計", "補正", "値引き", "価格"}) {
        m_totalRowLabels << new QLabel(QString::fromUtf8(caption), this);
        m_totalYenLabels << new QLabel(QStringLiteral("円"), this);
    }
}

void FunctionHoursPage::showDraft()
{
    for (int i = 0; i < kProcessRows; ++i) {
        const ProcessRowDraft& row = m_draft.process(i);
        if (row.inUse) {
            m_rows[i].name->setText(row.name);
        }
        m_rows[i].hours->setText(row.hourText);
        m_rows[i].unitPrice->setText(row.unitPriceText);
    }
    m_discount->setText(m_draft.discountText());
    for (int i = 0; i < kCorrectionClasses; ++i) {
        m_coefLabels[i]->setText(m_draft.classCoefficientText(i));
    }
    applyLayout();
}

// In member-assignment mode a row reads: process, hours from the assignments, "時間", the
// button, price; otherwise: process, hours × unit price ＝ price.
void FunctionHoursPage::applyLayout()
{
    while (m_grid->count() > 0) {
        delete m_grid->takeAt(0);
    }
    const bool charge = m_draft.chargeMode();
    for (int i = 0; i < kProcessRows; ++i) {
        ProcessRow& r = m_rows[i];
        const bool shown = m_draft.process(i).shown;
        r.chargedHours->setVisible(charge && shown);
        r.assign->setVisible(charge && shown);
        for (QWidget* w : {static_cast<QWidget*>(r.hours), static_cast<QWidget*>(r.hoursUnit),
                           static_cast<QWidget*>(r.times), static_cast<QWidget*>(r.unitPrice),
                           static_cast<QWidget*>(r.yenUnit)}) {
            w->setVisible(!charge && shown);
        }
        for (QWidget* w : {static_cast<QWidget*>(r.name), static_cast<QWidget*>(r.equals),
                           static_cast<QWidget*>(r.price), static_cast<QWidget*>(r.priceUnit)}) {
            w->setVisible(shown);
        }
        r.equals->setText(charge ? QStringLiteral("時間") : QStringLiteral("＝"));
        if (!shown) {
            continue;
        }
        m_grid->addWidget(r.name, i, 0);
        if (charge) {
            m_grid->addWidget(r.chargedHours, i, 1);
            m_grid->addWidget(r.equals, i, 2);
            m_grid->addWidget(r.assign, i, 3, Qt::AlignLeft);
            m_grid->addWidget(r.price, i, 4);
            m_grid->addWidget(r.priceUnit, i, 5);
        } else {
            m_grid->addWidget(r.hours, i, 1);
            m_grid->addWidget(r.hoursUnit, i, 2);
            m_grid->addWidget(r.times, i, 3);
            m_grid->addWidget(r.unitPrice, i, 4);
            m_grid->addWidget(r.yenUnit, i, 5);
            m_grid->addWidget(r.equals, i, 6);
            m_grid->addWidget(r.price, i, 7);
            m_grid->addWidget(r.priceUnit, i, 8);
        }
    }
    const int priceColumn = charge ? 4 : 7;
    const int chainSpan = charge ? 3 : 6;
    const int first = kProcessRows + 1;
    m_grid->addWidget(m_hoursLine, kProcessRows, 0, 1, priceColumn + 2);
    m_grid->addWidget(m_totalRowLabels[0], first, 0);
    m_grid->addWidget(m_hoursTotal, first, 1);
    m_grid->addWidget(m_hoursTotalUnit, first, 2);
    m_grid->addWidget(m_total, first, priceColumn);
    m_grid->addWidget(m_totalRowLabels[1], first + 1, 0);
    m_grid->addWidget(m_coefChain, first + 1, 1, 1, chainSpan);
    m_grid->addWidget(m_correctedTotal, first + 1, priceColumn);
    m_grid->addWidget(m_totalRowLabels[2], first + 2, 0);
    m_grid->addWidget(m_discount, first + 2, priceColumn);
    m_grid->addWidget(m_totalRowLabels[3], first + 3, 0);
    m_grid->addWidget(m_price, first + 3, priceColumn);
    for (int k = 0; k < 4; ++k) {
        m_grid->addWidget(m_totalYenLabels[k], first + k, priceColumn + 1);
    }
    m_grid->setColumnStretch(priceColumn + 2, 1);
}

void FunctionHoursPage::showEstimate(const EstimateResult& r)
{
    for (int i = 0; i < kProcessRows; ++i) {
        m_rows[i].price->setText(r.processPriceText[i]);
        m_rows[i].chargedHours->setText(r.processHoursText[i]);
    }
    m_total->setText(r.totalText);
    m_correction->setText(r.correctionText);
    m_correctedTotal->setText(r.correctedTotalText);
    m_price->setText(r.priceText);
    m_hoursTotal->setText(r.plannedHoursText);
}

bool FunctionHoursPage::checkInputs()
{
    if (!m_draft.chargeMode()) {
        for (int i = 0; i < kProcessRows; ++i) {
            const ProcessRow& r = m_rows[i];
            if (m_draft.process(i).code == 0) {
                continue;
            }
            if (!CheckWholeNumberBox(this, r.name->text() + QStringLiteral("の工数"), r.hours) ||
                !CheckNumberBox(this, r.name->text() + QStringLiteral("の単価"), r.unitPrice)) {
                return false;
            }
        }
    }
    return CheckNumberBox(this, QStringLiteral("値引き"), m_discount);
}

QString FunctionHoursPage::processName(int row) const
{
    return m_rows[row].name->text();
}

QString FunctionHoursPage::hourText(int row) const
{
    return m_rows[row].hours->text();
}
