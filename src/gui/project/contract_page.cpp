#include "project/contract_page.h"

#include "calc/project_figures.h"
#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "project/form_parts.h"
#include "project/project_repository.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct FixedOption {
    const char* caption;
    const char* name; // Write -> cmbWrite, txtWrite, txtWritePri
    int division;
};

// Option i (NCID i + 1) takes its levels from division FirstContractOption + i.
const FixedOption kOptions[ContractPage::kFixed] = {
    {"著作権所有", "Write", Division::FirstContractOption},
    {"瑕疵担保期間", "Flaw", Division::FirstContractOption + 1},
    {"ｲﾝｽﾄｰﾙ作業", "Inst", Division::FirstContractOption + 2},
    {"保守契約", "Mainte", Division::FirstContractOption + 3},
    {"利用者教育", "Educat", Division::FirstContractOption + 4},
    {"打合せ頻度", "Meet", Division::FirstContractOption + 5},
};

const int kMeeting = 5;

} // namespace

ContractPage::ContractPage(AppState& state, std::function<QList<ScheduleDate>()> scheduleDates,
                           QWidget* parent)
    : QWidget(parent), m_state(state), m_scheduleDates(std::move(scheduleDates))
{
    setObjectName(QStringLiteral("picOptions_3"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(HeadingLabel(this, QStringLiteral("項目")), 0, 0);
    grid->addWidget(HeadingLabel(this, QStringLiteral("条件")), 0, 1);
    grid->addWidget(HeadingLabel(this, QStringLiteral("メモ")), 0, 2);
    QLabel* priceHeading = HeadingLabel(this, QStringLiteral("金額(円)"));
    priceHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(priceHeading, 0, 3);

    int row = 1;
    for (int i = 0; i < kFixed; ++i, ++row) {
        const QString name = QString::fromLatin1(kOptions[i].name);
        m_captions[i] =
            NamedLabel(this, QStringLiteral("lbl") + name, QString::fromUtf8(kOptions[i].caption));
        m_levels[i] = NamedCombo(this, QStringLiteral("cmb") + name);
        m_levels[i]->setMinimumContentsLength(8);
        m_memos[i] = NamedBox(this, QStringLiteral("txt") + name);
        LimitText(m_memos[i], 255);
        m_prices[i] =
            NumberBox(this, QStringLiteral("txt") + name + QStringLiteral("Pri"), 120, QStringLiteral("0"));
        AttachNumericFilter(m_prices[i], true, true);
        connect(m_prices[i], &QLineEdit::textChanged, this, &ContractPage::UpdateContractTotal);
        grid->addWidget(m_captions[i], row, 0);
        grid->addWidget(m_levels[i], row, 1);
        grid->addWidget(m_memos[i], row, 2);
        grid->addWidget(m_prices[i], row, 3);
        if (i == kMeeting) {
            ++row;
            QLabel* note = NamedLabel(this, QStringLiteral("lblMeetNote"),
                                      QStringLiteral("ﾘｻｰﾁから納品までの月数で計算されます。"));
            note->setStyleSheet(QStringLiteral("color: palette(mid);"));
            grid->addWidget(note, row, 1, 1, 3);
        }
    }

    grid->addWidget(SeparatorLine(this), row++, 0, 1, 4);
    grid->addWidget(HeadingLabel(this, QStringLiteral("その他のオプション (名称を入力)")), row++, 0, 1, 3);
    for (int i = 0; i < kFree; ++i, ++row) {
        m_freeNames[i] = NamedBox(this, QStringLiteral("txtContOpt_%1").arg(i));
        LimitText(m_freeNames[i], 50);
        m_freeMemos[i] = NamedBox(this, QStringLiteral("txtOpt_%1").arg(i));
        LimitText(m_freeMemos[i], 255);
        m_freePrices[i] = NumberBox(this, QStringLiteral("txtOptPri_%1").arg(i), 120, QStringLiteral("0"));
        m_freeMemos[i]->setEnabled(false);
        m_freePrices[i]->setEnabled(false);
        AttachNumericFilter(m_freePrices[i], true, true);
        connect(m_freePrices[i], &QLineEdit::textChanged, this, &ContractPage::UpdateContractTotal);
        connect(m_freeNames[i], &QLineEdit::textChanged, this, [this, i] { freeNameEdited(i); });
        grid->addWidget(m_freeNames[i], row, 0, 1, 2);
        grid->addWidget(m_freeMemos[i], row, 2);
        grid->addWidget(m_freePrices[i], row, 3);
    }
    grid->setColumnStretch(2, 1);

    m_propose = NamedButton(this, QStringLiteral("cmdContract"), QStringLiteral("標準値計算"));
    m_propose->setToolTip(QStringLiteral("機能項目の作業費と条件の係数から価格を提案します"));
    connect(m_propose, &QPushButton::clicked, this, &ContractPage::proposePrices);
    LayOutWithButton(this, grid, m_propose);
}

void ContractPage::prepare()
{
    for (int i = 0; i < kFixed; ++i) {
        FillDivCombo(m_state.conn(), m_levels[i], kOptions[i].division);
    }
}

void ContractPage::LoadContractOptions()
{
    for (const StoredContract& stored : ProjectRepository(m_state.conn()).contracts(m_state.CurProject)) {
        const int id = WarnOnOverflow(stored.option);
        QLineEdit* memo = nullptr;
        QLineEdit* price = nullptr;
        if (id >= 1 && id <= kFixed) {
            SelectComboByKey(m_levels[id - 1], stored.level);
            memo = m_memos[id - 1];
            price = m_prices[id - 1];
        } else {
            for (int i = 0; i < kFree; ++i) {
                if (m_freeNames[i]->text().isEmpty()) {
                    m_freeNames[i]->setText(stored.name);
                    memo = m_freeMemos[i];
                    price = m_freePrices[i];
                    break;
                }
            }
        }
        if (memo) {
            memo->setEnabled(true);
            memo->setText(stored.memo);
            price->setEnabled(true);
            price->setText(FormatAmount(stored.price));
        }
    }
}

void ContractPage::freeNameEdited(int row)
{
    const bool named = !m_freeNames[row]->text().isEmpty();
    m_freeMemos[row]->setEnabled(named);
    m_freePrices[row]->setEnabled(named);
    UpdateContractTotal();
}

void ContractPage::UpdateContractTotal()
{
    double sum = 0;
    for (QLineEdit* price : m_prices) {
        sum += NumberOrZero(price->text());
    }
    for (int i = 0; i < kFree; ++i) {
        if (!m_freeNames[i]->text().isEmpty()) {
            sum += NumberOrZero(m_freePrices[i]->text());
        }
    }
    m_total = sum;
    emit totalChanged(sum);
}

QString ContractPage::OptionPriceFromCoef(double workTotal, QComboBox* level, int division) const
{
    const double coefficient = DivNumber(m_state.conn(), division, ComboKey(level), QStringLiteral("NCOEF"));
    return RoundDownPlace(ProposedSurcharge(coefficient, workTotal), -1, m_state.policy);
}

void ContractPage::proposePrices()
{
    const WaitCursor wait;
    bool entered = false;
    for (QLineEdit* price : m_prices) {
        entered = entered || NumberOrZero(price->text()) != 0;
    }
    if (!ConfirmOverwrite(this, entered)) {
        return;
    }
    try {
        const double work = ProjectRepository(m_state.conn()).workTotal(m_state.CurProject);
        for (int i = 0; i < kMeeting; ++i) {
            m_prices[i]->setText(OptionPriceFromCoef(work, m_levels[i], kOptions[i].division));
        }
        QList<QDate> dates;
        for (const ScheduleDate& d : m_scheduleDates()) {
            dates.append(d.date);
        }
        const int months = ScheduleMonths(dates);
        const double monthly = DivNumber(m_state.conn(), kOptions[kMeeting].division,
                                         ComboKey(m_levels[kMeeting]), QStringLiteral("NCOEF2"));
        m_prices[kMeeting]->setText(months > 0 ? FormatAmount(monthly * months) : QStringLiteral("0"));
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), this);
    }
}

QList<ContractRow> ContractPage::rows() const
{
    QList<ContractRow> result;
    for (int i = 0; i < kFixed; ++i) {
        result.append({i + 1, ComboKey(m_levels[i]), QString(), m_memos[i]->text(), m_prices[i]->text()});
    }
    for (int i = 0; i < kFree; ++i) {
        if (!m_freeNames[i]->text().isEmpty()) {
            result.append(
                {100 + i, 0, m_freeNames[i]->text(), m_freeMemos[i]->text(), m_freePrices[i]->text()});
        }
    }
    return result;
}

bool ContractPage::validate()
{
    const Engine engine = m_state.conn().engine();
    const QString memo = QStringLiteral("のメモ");
    for (int i = 0; i < kFixed; ++i) {
        if (!CheckTextBox(this, engine, m_captions[i]->text() + memo, m_memos[i]) ||
            !CheckNumberBox(this, m_captions[i]->text(), m_prices[i])) {
            return false;
        }
    }
    for (int i = 0; i < kFree; ++i) {
        const QString name = m_freeNames[i]->text();
        if (!CheckTextBox(this, engine, QStringLiteral("オプション名称"), m_freeNames[i]) ||
            (!name.isEmpty() && (!CheckTextBox(this, engine, name + memo, m_freeMemos[i]) ||
                                 !CheckNumberBox(this, name, m_freePrices[i])))) {
            return false;
        }
    }
    return true;
}
