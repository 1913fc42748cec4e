#include "project/deliverable_page.h"

#include "calc/project_figures.h"
#include "common/db_error_report.h"
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
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DeliverablePage::DeliverablePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_4"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const int perColumn = kRows / 2;
    for (int half = 0; half < 2; ++half) {
        QLabel* name = HeadingLabel(this, QStringLiteral("納品物"));
        QLabel* price = HeadingLabel(this, QStringLiteral("金額(円)"));
        price->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(name, 0, half * 5);
        grid->addWidget(price, 0, half * 5 + 3);
    }
    for (int i = 0; i < kRows; ++i) {
        m_names[i] = NamedLabel(this, QStringLiteral("lblDeliv_%1").arg(i), QStringLiteral("納品物１"));
        m_names[i]->setMinimumWidth(110);
        m_delivered[i] = new QCheckBox(QStringLiteral("納品有"), this);
        m_delivered[i]->setObjectName(QStringLiteral("chkDeliv_%1").arg(i));
        m_formats[i] = new QCheckBox(QStringLiteral("書式指定有"), this);
        m_formats[i]->setObjectName(QStringLiteral("chkFmt_%1").arg(i));
        m_freeNames[i] = NamedBox(this, QStringLiteral("txtDeliv_%1").arg(i));
        LimitText(m_freeNames[i], 50);
        m_freeNames[i]->setPlaceholderText(QStringLiteral("その他の納品物"));
        m_prices[i] = NumberBox(this, QStringLiteral("txtDelPri_%1").arg(i), 100, QStringLiteral("0"));
        AttachNumericFilter(m_prices[i], true, true);
        const int row = 1 + i % perColumn;
        const int column = (i / perColumn) * 5;
        grid->addWidget(m_names[i], row, column);
        grid->addWidget(m_delivered[i], row, column + 1);
        grid->addWidget(m_formats[i], row, column + 2);
        grid->addWidget(m_freeNames[i], row, column, 1, 3);
        grid->addWidget(m_prices[i], row, column + 3);
        connect(m_delivered[i], &QCheckBox::toggled, m_formats[i], &QCheckBox::setEnabled);
        connect(m_freeNames[i], &QLineEdit::textChanged, this, [this, i] { freeNameEdited(i); });
        connect(m_prices[i], &QLineEdit::textChanged, this, &DeliverablePage::UpdateDeliverableTotal);
        m_delivered[i]->hide();
        m_formats[i]->hide();
        m_names[i]->hide();
        m_prices[i]->setEnabled(false);
    }
    grid->setColumnMinimumWidth(4, 24);
    grid->setColumnStretch(9, 0);

    m_propose = NamedButton(this, QStringLiteral("cmdDeliv"), QStringLiteral("標準値計算"));
    m_propose->setToolTip(QStringLiteral("機能項目の作業費と納品物の係数から価格を提案します"));
    connect(m_propose, &QPushButton::clicked, this, &DeliverablePage::proposePrices);
    LayOutWithButton(this, grid, m_propose);
}

void DeliverablePage::makeKindRow(int row, int kind, const QString& name)
{
    m_names[row]->setText(name);
    DelivKind[row] = kind;
    m_names[row]->show();
    m_delivered[row]->show();
    m_formats[row]->show();
    m_formats[row]->setEnabled(m_delivered[row]->isChecked());
    m_freeNames[row]->hide();
    m_prices[row]->setEnabled(true);
}

void DeliverablePage::prepare()
{
    const QList<NamedKey> kinds = ProjectLookups(m_state.conn()).deliverableKinds();
    for (int i = 0; i < kRows; ++i) {
        if (i >= kinds.size()) {
            DelivKind[i] = 0;
            continue;
        }
        makeKindRow(i, WarnOnOverflow(kinds.at(i).key), kinds.at(i).name);
    }
}

void DeliverablePage::LoadDeliverables()
{
    for (const StoredDeliverable& stored :
         ProjectRepository(m_state.conn()).deliverables(m_state.CurProject)) {
        int row = -1;
        if (stored.kind) {
            const int code = WarnOnOverflow(*stored.kind);
            for (int i = 0; i < kRows && row < 0; ++i) {
                if (DelivKind[i] == code) {
                    row = i;
                }
            }
            // A kind that has left the division keeps its row, so the save does not lose it.
            for (int i = 0; i < kRows && row < 0; ++i) {
                if (DelivKind[i] == 0 && m_freeNames[i]->text().isEmpty()) {
                    makeKindRow(i, code, QString());
                    m_retiredKind[i] = true;
                    row = i;
                }
            }
            if (row < 0) {
                continue;
            }
            m_delivered[row]->setChecked(stored.delivered);
            m_formats[row]->setChecked(stored.formatSpecified);
        } else {
            for (int i = 0; i < kRows && row < 0; ++i) {
                if (DelivKind[i] == 0 && m_freeNames[i]->text().isEmpty()) {
                    row = i;
                }
            }
            if (row < 0) {
                continue;
            }
            m_freeNames[row]->setText(stored.name);
        }
        m_prices[row]->setEnabled(true);
        m_prices[row]->setText(FormatAmount(stored.price));
    }
}

void DeliverablePage::freeNameEdited(int row)
{
    const bool named = !m_freeNames[row]->text().isEmpty();
    if (m_prices[row]->isEnabledTo(this) != named) {
        m_prices[row]->setEnabled(named);
        UpdateDeliverableTotal();
    }
}

bool DeliverablePage::proposable(int row) const
{
    return DelivKind[row] != 0 && !m_retiredKind[row];
}

bool DeliverablePage::counts(int row) const
{
    return DelivKind[row] != 0 || !m_freeNames[row]->text().isEmpty();
}

void DeliverablePage::UpdateDeliverableTotal()
{
    double sum = 0;
    for (int i = 0; i < kRows; ++i) {
        if (counts(i)) {
            sum += NumberOrZero(m_prices[i]->text());
        }
    }
    m_total = sum;
    emit totalChanged(sum);
}

void DeliverablePage::proposePrices()
{
    const WaitCursor wait;
    bool entered = false;
    for (int i = 0; i < kRows; ++i) {
        entered = entered || (proposable(i) && NumberOrZero(m_prices[i]->text()) != 0);
    }
    if (!ConfirmOverwrite(this, entered)) {
        return;
    }
    try {
        const double work = ProjectRepository(m_state.conn()).workTotal(m_state.CurProject);
        for (int i = 0; i < kRows; ++i) {
            if (!proposable(i)) {
                continue;
            }
            // Each row's coefficients are those of its own kind, whatever gaps the codes have.
            const QString column =
                DeliverableCoefColumn(m_delivered[i]->isChecked(), m_formats[i]->isChecked());
            const double coefficient = DivNumber(m_state.conn(), Division::Deliverable, DelivKind[i], column);
            m_prices[i]->setText(RoundDownPlace(ProposedSurcharge(coefficient, work), -1, m_state.policy));
        }
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), this);
    }
}

QList<DeliverableRow> DeliverablePage::rows() const
{
    QList<DeliverableRow> result;
    for (int i = 0; i < kRows; ++i) {
        if (!counts(i)) {
            continue;
        }
        result.append({i + 1, DelivKind[i], m_delivered[i]->isChecked(), m_formats[i]->isChecked(),
                       DelivKind[i] != 0 ? QString() : m_freeNames[i]->text(), m_prices[i]->text()});
    }
    return result;
}

bool DeliverablePage::validate()
{
    for (int i = 0; i < kRows; ++i) {
        if (DelivKind[i] == 0 &&
            !CheckTextBox(this, m_state.conn().engine(), QStringLiteral("納品物名称"), m_freeNames[i])) {
            return false;
        }
        if (counts(i)) {
            QString caption = DelivKind[i] != 0 ? m_names[i]->text() : m_freeNames[i]->text();
            if (caption.isEmpty()) {
                caption = QStringLiteral("納品物");
            }
            if (!CheckNumberBox(this, caption, m_prices[i])) {
                return false;
            }
        }
    }
    return true;
}
