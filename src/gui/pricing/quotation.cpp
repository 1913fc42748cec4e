#include "pricing/quotation.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "convert/conversions.h"
#include "documents/quotation_preview.h"
#include "help/help.h"
#include "pricing/check_values.h"
#include "project/project_repository.h"
#include "settings/policy.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* amountLabel(QWidget* parent, const QString& name)
{
    auto* label = NamedLabel(parent, name, QString());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(130);
    return label;
}

} // namespace

QuotationDialog::QuotationDialog(AppState& state, const QuoteSources& sources, QWidget* parent)
    : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmCalc"));
    setWindowTitle(QStringLiteral("計算"));
    Help::setTopic(this, 34);

    QuoteBase = NumberOrZero(sources.baseText);
    QuoteExpe = sources.expenses;
    QuoteWork = state.EditMode == 1 ? ProjectRepository(state.conn()).workTotal(state.CurProject) : 0.0;
    QuoteDeliv = sources.deliverables;
    QuoteOpt = sources.options;

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    struct Row {
        const char* check;
        const char* caption;
        const char* amount;
        double value;
    };
    const Row rows[6] = {{"chkBase", "基本料金", "lblBase", QuoteBase},
                         {"chkWork", "作業費計", "lblWork", QuoteWork},
                         {"chkOpt", "契約ｵﾌﾟｼｮﾝ", "lblOpt", QuoteOpt},
                         {"chkDeliv", "納品ｵﾌﾟｼｮﾝ", "lblDeliv", QuoteDeliv},
                         {"chkExpe0", "経費(自社)", "lblExpe0", QuoteExpe[0]},
                         {"chkExpe1", "経費(顧客)", "lblExpe1", QuoteExpe[1]}};
    for (int i = 0; i < 6; ++i) {
        auto* check = new QCheckBox(this);
        check->setObjectName(QString::fromLatin1(rows[i].check));
        auto* caption = new QLabel(QString::fromUtf8(rows[i].caption), this);
        caption->setBuddy(check);
        QLabel* amount = amountLabel(this, QString::fromLatin1(rows[i].amount));
        amount->setText(FormatAmount(rows[i].value));
        grid->addWidget(check, i, 0);
        grid->addWidget(caption, i, 1);
        grid->addWidget(amount, i, 2);
        grid->addWidget(new QLabel(QStringLiteral("円"), this), i, 3);
        m_checks[i] = check;
        connect(check, &QCheckBox::clicked, this, &QuotationDialog::RecalcQuote);
    }
    m_discount = NumberBox(this, QStringLiteral("txtDiscount"), 0, QStringLiteral("0"));
    grid->addWidget(new QLabel(QStringLiteral("値引き"), this), 6, 1);
    grid->addWidget(m_discount, 6, 2);
    grid->addWidget(new QLabel(QStringLiteral("円"), this), 6, 3);
    grid->addWidget(SeparatorLine(this), 7, 1, 1, 3);
    m_total = amountLabel(this, QStringLiteral("lblTotal"));
    MakeBold(m_total);
    grid->addWidget(HeadingLabel(this, QStringLiteral("合計")), 8, 1);
    grid->addWidget(m_total, 8, 2);
    grid->addWidget(new QLabel(QStringLiteral("円"), this), 8, 3);
    grid->setColumnMinimumWidth(1, 110);

    auto* postButton = NamedButton(this, QStringLiteral("cmdPost"), QStringLiteral("転記"));
    postButton->setDefault(true);
    postButton->setToolTip(QStringLiteral("合計をプロジェクトの受注金額に転記します"));
    auto* cancelButton = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("キャンセル"));
    auto* docButton = NamedButton(this, QStringLiteral("cmdDoc"), QStringLiteral("見積書..."));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(postButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    buttons->addWidget(docButton);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(20);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QuoteSettings& quote = state.ProjQuote;
    const bool flags[6] = {quote.Base, quote.Work, quote.Opt, quote.Deliv, quote.Expe0, quote.Expe1};
    for (int i = 0; i < 6; ++i) {
        SetCheckValue(m_checks[i], BoolToCheck(flags[i]));
    }
    m_discount->setText(FormatAmount(quote.Discount));
    AttachNumericFilter(m_discount, true, true);
    connect(m_discount, &QLineEdit::textChanged, this, &QuotationDialog::discountEdited);
    connect(postButton, &QPushButton::clicked, this, &QuotationDialog::post);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(docButton, &QPushButton::clicked, this, [this] {
        RunHandler(this, [this] { ShowQuotationFromCalc(m_state, shownSettings(), m_total->text(), this); });
    });
    RecalcQuote();
}

void QuotationDialog::RecalcQuote()
{
    const double amounts[6] = {QuoteBase, QuoteWork, QuoteOpt, QuoteDeliv, QuoteExpe[0], QuoteExpe[1]};
    QuoteSub = 0;
    for (int i = 0; i < 6; ++i) {
        // A grey box is kept as ticked on post but does not count here.
        if (CheckValue(m_checks[i]) == 1) {
            QuoteSub += amounts[i];
        }
    }
    discountEdited();
}

void QuotationDialog::discountEdited()
{
    m_total->setText(FormatAmount(QuoteSub - NumberOrZero(m_discount->text())));
}

QuoteSettings QuotationDialog::shownSettings() const
{
    QuoteSettings quote;
    bool* flags[6] = {&quote.Base, &quote.Work, &quote.Opt, &quote.Deliv, &quote.Expe0, &quote.Expe1};
    for (int i = 0; i < 6; ++i) {
        *flags[i] = CheckToBool(CheckValue(m_checks[i]));
    }
    quote.Discount = NumberOrZero(m_discount->text());
    return quote;
}

void QuotationDialog::post()
{
    m_posted = m_total->text();
    m_state.ProjQuote = shownSettings();
    accept();
}
