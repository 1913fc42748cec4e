#include "project/member_page.h"

#include "calc/project_figures.h"
#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/division_ids.h"
#include "masters/master_entry.h"
#include "project/form_parts.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

MemberPage::MemberPage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_1"));

    m_member = EntryCombo(this, QStringLiteral("cmbMember"), 220);
    m_kind = NamedCombo(this, QStringLiteral("cmbMKind"));
    m_kind->setMinimumContentsLength(8);
    m_price = NumberBox(this, QStringLiteral("txtMembPri"), 100);
    m_occupied = NumberBox(this, QStringLiteral("txtMembOccu"), 70);
    m_indirect = NumberBox(this, QStringLiteral("txtIndirect"), 70);
    m_memberLabel = NamedLabel(this, QStringLiteral("lblMember"), QStringLiteral("メンバ"));
    m_kindLabel = NamedLabel(this, QStringLiteral("lblMKind"), QStringLiteral("職種"));
    m_priceLabel = NamedLabel(this, QStringLiteral("lblMembPri"), QStringLiteral("費用"));
    m_occupiedLabel = NamedLabel(this, QStringLiteral("lblMembOccu"), QStringLiteral("占有時間"));
    m_indirectLabel = NamedLabel(this, QStringLiteral("lblIndirect"), QStringLiteral("間接工数"));
    m_rows = new RowListPanel(this, {QStringLiteral("cmdMembAdd"), QStringLiteral("cmdMembUp"),
                                     QStringLiteral("cmdMembDel"), QStringLiteral("lvwMList"),
                                     QStringLiteral("cmdMUp"), QStringLiteral("cmdMDown")});
    m_list = m_rows->list();

    auto* inputs = new QVBoxLayout;
    inputs->addLayout(FieldRow({m_memberLabel, m_member, nullptr, m_kindLabel, m_kind}));
    inputs->addLayout(FieldRow({m_priceLabel, m_price, UnitLabel(this, QStringLiteral("円/時間")), nullptr,
                                m_occupiedLabel, m_occupied, UnitLabel(this, QStringLiteral("時間")), nullptr,
                                m_indirectLabel, m_indirect, UnitLabel(this, QStringLiteral("時間"))}));
    AlignLabels({m_memberLabel, m_priceLabel});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    m_rows->addTo(layout);

    AttachNumericFilter(m_price, true, true);
    AttachNumericFilter(m_occupied, true, false, true);
    AttachNumericFilter(m_indirect, true, false, true);

    connect(m_member, &QComboBox::activated, this, &MemberPage::memberPicked);
    connect(m_rows, &RowListPanel::rowClicked, this, &MemberPage::rowClicked);
    connect(m_rows, &RowListPanel::applyRow, this, &MemberPage::ApplyMemberRow);
}

void MemberPage::prepare()
{
    FillDivCombo(m_state.conn(), m_kind, Division::MemberKind);
}

void MemberPage::FillMemberCombo(int id)
{
    FillEntryCombo(m_member, ProjectLookups(m_state.conn()).memberChoices(), id);
}

void MemberPage::LoadMemberList()
{
    FillMemberCombo(0);
    m_rows->setColumns({{m_memberLabel->text(), 1800},
                        {m_kindLabel->text(), 1000},
                        {m_priceLabel->text(), 1000, Qt::AlignRight},
                        {m_occupiedLabel->text(), 1000, Qt::AlignRight},
                        {m_indirectLabel->text(), 1000, Qt::AlignRight}});
    m_loadedKinds.clear();
    if (m_state.EditMode != 1) {
        return;
    }
    const QList<StoredMember> stored = ProjectRepository(m_state.conn()).members(m_state.CurProject);
    QSignalBlocker blocker(m_list);
    for (const StoredMember& row : stored) {
        const int member = WarnOnOverflow(row.member);
        const int kind = WarnOnOverflow(row.kind);
        auto* item = new QTreeWidgetItem(m_list);
        SetItemKey(item, MemberRowKey(member));
        SetRowCode(item, kind);
        SetRowTexts(item, {row.name, row.kindName, FormatAmount(row.pricePerHour), row.occupiedHours,
                           row.indirectHours});
        m_loadedKinds.insert(member, kind);
    }
    FitListColumns(m_list);
}

void MemberPage::memberPicked()
{
    const WaitCursor wait;
    try {
        const std::optional<MemberDefaults> defaults =
            ProjectLookups(m_state.conn()).memberDefaults(ComboKey(m_member));
        if (defaults) {
            SelectComboByKey(m_kind, defaults->kind);
            m_price->setText(FormatAmount(defaults->pricePerHour));
        }
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), this);
    }
}

void MemberPage::rowClicked(QTreeWidgetItem* item)
{
    ShowEntry(m_member, KeyToId(ItemKey(item)), item->text(0));
    SelectComboByKey(m_kind, RowCode(item));
    m_price->setText(item->text(2).isEmpty() ? QString() : FormatAmount(NumberOrZero(item->text(2))));
    m_occupied->setText(item->text(3));
    m_indirect->setText(item->text(4));
    m_rows->chooseRow(item);
}

bool MemberPage::MemberIsCharged(int id)
{
    return ProjectRepository(m_state.conn()).memberIsCharged(m_state.CurProject, id);
}

void MemberPage::ApplyMemberRow(int mode)
{
    if (mode != 0 && !m_rows->chosenRow()) {
        return;
    }
    try {
        if (mode != 2) {
            addOrUpdate(mode);
        } else if (MemberIsCharged(KeyToId(m_rows->chosenKey()))) {
            Messages::exclamation(this, QStringLiteral("使用済み"),
                                  QStringLiteral("指定のメンバは既に作業分担されています。削除できません。"));
        } else {
            m_rows->removeChosenRow();
            UpdateMemberTotal();
        }
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), this);
    }
}

void MemberPage::addOrUpdate(int mode)
{
    const WaitCursor wait;
    const QString name = m_member->currentText().trimmed();
    const std::pair<QLabel*, QLineEdit*> required[] = {{m_priceLabel, m_price},
                                                       {m_occupiedLabel, m_occupied}};
    if (name.isEmpty()) {
        Messages::required(this, m_memberLabel->text());
        return;
    }
    for (const auto& [label, box] : required) {
        if (box->text().isEmpty()) {
            Messages::required(this, label->text());
            return;
        }
    }
    if (!CheckTextBox(this, m_state.conn().engine(), m_memberLabel->text(), m_member) ||
        !CheckNumberBox(this, m_priceLabel->text(), m_price) ||
        !CheckNumberBox(this, m_occupiedLabel->text(), m_occupied) ||
        !CheckNumberBox(this, m_indirectLabel->text(), m_indirect)) {
        return;
    }

    const int kind = ComboKey(m_kind);
    const MasterEntry entry =
        EnterMember(m_state.conn(), PickedEntryKey(m_member), name, kind, m_price->text());
    if (entry.keyOverflowed) {
        ShowOverflow();
    }
    if (entry.inserted) {
        FillMemberCombo(entry.id);
    }
    const QString newKey = MemberRowKey(entry.id);
    if (!ListKeyFree(m_list, newKey, mode)) {
        Messages::exclamation(this, QStringLiteral("重複エラー"),
                              QStringLiteral("その人は既に登録されています。"));
        return;
    }
    const int oldId = KeyToId(m_rows->chosenKey());
    if (mode == 1 && entry.id != oldId && MemberIsCharged(oldId)) {
        Messages::exclamation(this, QStringLiteral("使用済み"),
                              QStringLiteral("更新前のメンバが既に作業分担されています。更新できません。"));
        return;
    }
    QTreeWidgetItem* row = m_rows->rowToEnter(mode);
    SetRowCode(row, kind);
    m_rows->enterRow(
        row, newKey,
        {name, m_kind->currentText(), FormatAmount(m_price->text()), m_occupied->text(), m_indirect->text()});
    UpdateMemberTotal();
}

void MemberPage::UpdateMemberTotal()
{
    double total = 0;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        total += MemberCost(NumberOrZero(item->text(2)), NumberOrZero(item->text(3)),
                            NumberOrZero(item->text(4)), m_state.policy.Indirect);
    }
    m_total = total;
    emit totalChanged(total);
}

QList<MemberRow> MemberPage::rows() const
{
    QList<MemberRow> result;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        result.append({KeyToId(ItemKey(item)), RowCode(item), item->text(2), item->text(3), item->text(4)});
    }
    return result;
}

bool MemberPage::chargedKindChanged()
{
    for (const MemberRow& row : rows()) {
        const auto loaded = m_loadedKinds.constFind(row.member);
        if (loaded != m_loadedKinds.constEnd() && loaded.value() != row.kind && MemberIsCharged(row.member)) {
            return true;
        }
    }
    return false;
}
