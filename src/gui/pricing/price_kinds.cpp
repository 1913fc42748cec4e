#include "pricing/price_kinds.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/twips.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "state/app_state.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

PriceKindEditor::PriceKindEditor(AppState& state, QWidget* parent)
    : ListEditorDialog(state,
                       {QStringLiteral("frmPri"), QStringLiteral("作業費単価編集"), 18,
                        QStringLiteral("lvwPrList"), QStringLiteral("cmdPrUp"), QStringLiteral("cmdPrDown"),
                        true, 11400, 3300},
                       parent),
      m_charge(state.policy.Charge)
{
    state.Updated = false;

    m_nameLabel = NamedLabel(this, QStringLiteral("lblPriName"), QStringLiteral("価格種別名称"));
    m_name = NamedBox(this, QStringLiteral("txtPriName"), 300);
    LimitText(m_name, 50);
    m_nameLabel->setBuddy(m_name);

    m_baseLabel = NamedLabel(this, QStringLiteral("lblBase"), QStringLiteral("基本料金"));
    m_base = NumberBox(this, QStringLiteral("txtBase"), 0, QStringLiteral("0"));
    m_baseLabel->setBuddy(m_base);

    auto* head = new QGridLayout;
    head->setHorizontalSpacing(12);
    head->addWidget(m_nameLabel, 0, 0);
    head->addWidget(m_name, 0, 1, Qt::AlignLeft);
    head->addWidget(m_baseLabel, 1, 0);
    head->addWidget(m_base, 1, 1, Qt::AlignLeft);
    head->setColumnStretch(1, 1);

    // Three slots to a row: caption and price.
    auto* slotFrame = new QFrame(this);
    slotFrame->setObjectName(QStringLiteral("fraPrices"));
    slotFrame->setFrameShape(QFrame::StyledPanel);
    auto* slotGrid = new QGridLayout(slotFrame);
    slotGrid->setHorizontalSpacing(12);
    const QString digits = QStringLiteral("１２３４５６７８９");
    for (int i = 0; i < kSlots; ++i) {
        m_procLabels[i] =
            NamedLabel(slotFrame, QStringLiteral("lblProc_%1").arg(i), QStringLiteral("工程") + digits.at(i));
        m_prices[i] = NumberBox(slotFrame, QStringLiteral("txtPri_%1").arg(i), 0, QStringLiteral("0"));
        m_procLabels[i]->setBuddy(m_prices[i]);
        const int row = i / 3;
        const int column = (i % 3) * 2;
        slotGrid->addWidget(m_procLabels[i], row, column);
        slotGrid->addWidget(m_prices[i], row, column + 1);
    }
    for (int column = 0; column < 6; column += 2) {
        slotGrid->setColumnMinimumWidth(column, 80);
    }
    slotGrid->setColumnStretch(6, 1);
    for (QLineEdit* edit : {m_base, m_prices[0], m_prices[1], m_prices[2], m_prices[3], m_prices[4],
                            m_prices[5], m_prices[6], m_prices[7], m_prices[8]}) {
        edit->setMinimumWidth(110);
        edit->setMaximumWidth(130);
        AttachNumericFilter(edit, true, true);
    }

    m_help = NamedLabel(this, QStringLiteral("lblHelp"), QString());
    m_help->setWordWrap(true);

    auto* area = new QVBoxLayout;
    area->addLayout(head);
    area->addWidget(slotFrame);
    area->addWidget(m_help);
    setEditArea(area);

    try {
        loadSlots();
        FillPriceList();
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        if (addButton()) {
            addButton()->setEnabled(false);
        }
    }
}

PriceKindRepository PriceKindEditor::kinds() const
{
    return PriceKindRepository(state().conn(), m_charge);
}

void PriceKindEditor::loadSlots()
{
    if (m_charge) {
        m_help->setText(
            QStringLiteral("作業担当者の職種別時間単価を設定します。\n"
                           "これを元に顧客に請求する作業費を計算します。単位は「円/時間」です。"));
    } else {
        m_help->setText(
            QStringLiteral("工程別の時間単価の初期値を設定します。\n"
                           "単にプロジェクト新規作成時の初期値を決定するものです。単位は「円/時間」です。"));
    }
    // A slot without a division row means nothing: it is hidden, neither asked for nor stored.
    const QList<PriceSlot> slotRows = kinds().priceSlots();
    m_slotCount = 0;
    for (const PriceSlot& slot : slotRows) {
        if (m_slotCount == kSlots) {
            break;
        }
        m_procLabels[m_slotCount]->setText(slot.name);
        m_codes[m_slotCount] = WarnOnOverflow(slot.code);
        ++m_slotCount;
    }
    for (int i = m_slotCount; i < kSlots; ++i) {
        m_procLabels[i]->hide();
        m_prices[i]->hide();
    }
}

void PriceKindEditor::FillPriceList()
{
    QList<ListColumn> columns{{m_nameLabel->text(), 1400}, {m_baseLabel->text(), 900, Qt::AlignRight}};
    for (int i = 0; i < m_slotCount; ++i) {
        columns << ListColumn{m_procLabels[i]->text(), 900, Qt::AlignRight};
    }
    resetList(columns);

    for (const PriceKindListRow& kind : kinds().list()) {
        QStringList texts{kind.name, FormatAmount(kind.base)};
        for (int i = 0; i < m_slotCount; ++i) {
            texts << QString();
        }
        for (const PriceKindListRow::Price& price : kind.prices) {
            const int code = WarnOnOverflow(price.code);
            for (int i = 0; i < m_slotCount; ++i) {
                if (m_codes[i] == code) {
                    texts[i + 2] = FormatAmount(price.price);
                }
            }
        }
        addRow(QStringLiteral("R") + kind.key, texts);
    }
    finishList();
}

bool PriceKindEditor::rowClicked(QTreeWidgetItem* item)
{
    int kind = 0;
    if (!KeyNumber(ItemKey(item), &kind, this)) {
        return false;
    }
    m_selPriKind = kind;
    m_name->setText(item->text(0));
    m_base->setText(item->text(1));
    for (int i = 0; i < m_slotCount; ++i) {
        m_prices[i]->setText(item->text(i + 2));
    }
    return true;
}

void PriceKindEditor::saveRow(int mode)
{
    SavePriceKind(mode);
    // The main window reprices every project after an update, even a refused one.
    if (mode == 1) {
        state().Updated = true;
    }
}

bool PriceKindEditor::validate()
{
    QLabel* missing = nullptr;
    QLineEdit* box = nullptr;
    if (m_name->text().trimmed().isEmpty()) {
        missing = m_nameLabel;
        box = m_name;
    } else if (m_base->text().trimmed().isEmpty()) {
        missing = m_baseLabel;
        box = m_base;
    } else {
        for (int i = 0; i < m_slotCount; ++i) {
            if (m_prices[i]->text().trimmed().isEmpty()) {
                missing = m_procLabels[i];
                box = m_prices[i];
                break;
            }
        }
    }
    if (missing) {
        Messages::required(this, missing->text());
        box->setFocus();
        return false;
    }
    if (!CheckTextBox(this, state().conn().engine(), m_nameLabel->text(), m_name)) {
        return false;
    }
    if (!CheckNumberBox(this, m_baseLabel->text(), m_base)) {
        return false;
    }
    for (int i = 0; i < m_slotCount; ++i) {
        if (!CheckNumberBox(this, m_procLabels[i]->text(), m_prices[i])) {
            return false;
        }
    }
    return true;
}

PriceKindValues PriceKindEditor::typedValues() const
{
    PriceKindValues values{m_name->text(), m_base->text(), {}};
    for (int i = 0; i < m_slotCount; ++i) {
        values.prices.append({m_codes[i], m_prices[i]->text()});
    }
    return values;
}

void PriceKindEditor::SavePriceKind(int mode)
{
    if (mode != 2 && !validate()) {
        return;
    }
    PriceKindSave saved;
    try {
        saved = kinds().save(mode, m_selPriKind, typedValues());
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        return;
    } catch (const ConversionError& error) {
        ShowDbError(error, QString(), this);
        return;
    }
    if (saved.duplicate) {
        Messages::information(this, QStringLiteral("重複"),
                              QStringLiteral("同名の価格種別が既に登録されています。"));
        return;
    }
    if (mode == 0) {
        m_selPriKind = saved.kind;
        if (saved.orderOverflowed) {
            ShowOverflow();
        }
    } else if (mode == 2) {
        updateButton()->setEnabled(false);
        deleteButton()->setEnabled(false);
    }
    reloadAfterSave([this] { FillPriceList(); });
}
