#include "project/member_page.h"

#include "foundation/app_state.h"
#include "foundation/code_divisions.h"
#include "foundation/conversions.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/input_filters.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "foundation/sql_literal.h"
#include "project/form_parts.h"
#include "project/master_entry.h"
#include "project/project_figures.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

MemberPage::MemberPage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_1"));

    m_member = new QComboBox(this);
    m_member->setObjectName(QStringLiteral("cmbMember"));
    m_member->setEditable(true);
    m_member->setInsertPolicy(QComboBox::NoInsert);
    m_member->setMinimumContentsLength(14);
    m_member->lineEdit()->setMaxLength(50);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("cmbMKind"));
    m_kind->setMinimumContentsLength(8);
    m_price = AmountBox(this, QStringLiteral("txtMembPri"), 100, false);
    m_occupied = AmountBox(this, QStringLiteral("txtMembOccu"), 70, false);
    m_indirect = AmountBox(this, QStringLiteral("txtIndirect"), 70, false);
    m_memberLabel = NamedLabel(this, QStringLiteral("lblMember"), QStringLiteral("メンバ"));
    m_kindLabel = NamedLabel(this, QStringLiteral("lblMKind"), QStringLiteral("職種"));
    m_priceLabel = NamedLabel(this, QStringLiteral("lblMembPri"), QStringLiteral("費用"));
    m_occupiedLabel = NamedLabel(this, QStringLiteral("lblMembOccu"), QStringLiteral("占有時間"));
    m_indirectLabel = NamedLabel(this, QStringLiteral("lblIndirect"), QStringLiteral("間接工数"));
    m_add = NamedButton(this, QStringLiteral("cmdMembAdd"), QStringLiteral("行追加"));
    m_update = NamedButton(this, QStringLiteral("cmdMembUp"), QStringLiteral("行更新"));
    m_delete = NamedButton(this, QStringLiteral("cmdMembDel"), QStringLiteral("行削除"));
    m_up = NamedButton(this, QStringLiteral("cmdMUp"), QStringLiteral("▲"));
    m_down = NamedButton(this, QStringLiteral("cmdMDown"), QStringLiteral("▼"));
    m_up->setToolTip(QStringLiteral("選択した行を上へ移動"));
    m_down->setToolTip(QStringLiteral("選択した行を下へ移動"));
    m_list = ReportList(this, QStringLiteral("lvwMList"));

    auto unit = [this](const QString& text) { return new QLabel(text, this); };
    m_member->setMinimumWidth(220);
    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    first->addWidget(m_memberLabel);
    first->addWidget(m_member);
    first->addSpacing(12);
    first->addWidget(m_kindLabel);
    first->addWidget(m_kind);
    first->addStretch();
    auto* second = new QHBoxLayout;
    second->setSpacing(6);
    second->addWidget(m_priceLabel);
    second->addWidget(m_price);
    second->addWidget(unit(QStringLiteral("円/時間")));
    second->addSpacing(12);
    second->addWidget(m_occupiedLabel);
    second->addWidget(m_occupied);
    second->addWidget(unit(QStringLiteral("時間")));
    second->addSpacing(12);
    second->addWidget(m_indirectLabel);
    second->addWidget(m_indirect);
    second->addWidget(unit(QStringLiteral("時間")));
    second->addStretch();
    // The label column lines up the two rows.
    const int labelWidth = qMax(m_memberLabel->sizeHint().width(), m_priceLabel->sizeHint().width());
    m_memberLabel->setFixedWidth(labelWidth);
    m_priceLabel->setFixedWidth(labelWidth);
    auto* grid = new QVBoxLayout;
    grid->addLayout(first);
    grid->addLayout(second);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_update);
    buttons->addWidget(m_delete);
    buttons->addStretch();

    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    arrows->addStretch();
    m_up->setFixedWidth(32);
    m_down->setFixedWidth(32);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(arrows);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addLayout(listRow, 1);

    AttachNumericFilter(m_price, true, true);
    AttachNumericFilter(m_occupied, true, false);
    AttachNumericFilter(m_indirect, true, false);
    m_update->setEnabled(false);
    m_delete->setEnabled(false);
    m_up->setEnabled(false);
    m_down->setEnabled(false);

    connect(m_member, &QComboBox::activated, this, &MemberPage::memberPicked);
    connect(m_list, &QTreeWidget::itemClicked, this, &MemberPage::rowClicked);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current) {
            rowClicked(current);
        }
    });
    connect(m_add, &QPushButton::clicked, this, [this] { ApplyMemberRow(0); });
    connect(m_update, &QPushButton::clicked, this, [this] { ApplyMemberRow(1); });
    connect(m_delete, &QPushButton::clicked, this, [this] { ApplyMemberRow(2); });
    connect(m_up, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveRow(1); });
}

void MemberPage::prepare()
{
    FillDivCombo(m_state.conn(), m_kind, 17);
}

void MemberPage::FillMemberCombo(int id)
{
    QSignalBlocker blocker(m_member);
    m_member->clear();
    int selected = -1;
    for (Recordset rs =
             OpenRs(m_state.conn(),
                    QStringLiteral("SELECT NMEMBER, CMEMBER FROM MMEMBER ORDER BY NSORT,NMEMBPRI,NMEMBER"));
         !rs.eof(); rs.moveNext()) {
        const int key = ToInt(rs.field(QStringLiteral("NMEMBER")));
        m_member->addItem(ToText(rs.field(QStringLiteral("CMEMBER"))), key);
        if (key == id) {
            selected = m_member->count() - 1;
        }
    }
    m_member->setCurrentIndex(selected);
    if (selected < 0) {
        m_member->setEditText(QString());
    }
}

void MemberPage::LoadMemberList()
{
    FillMemberCombo(0);
    SetListColumns(m_list, {{m_memberLabel->text(), 1800, false},
                            {m_kindLabel->text(), 1000, false},
                            {m_priceLabel->text(), 1000, true},
                            {m_occupiedLabel->text(), 1000, true},
                            {m_indirectLabel->text(), 1000, true}});
    m_unlabelledKinds.clear();
    m_loadedKinds.clear();
    if (m_state.EditMode != 1) {
        return;
    }
    // Outer joins: a row whose member or job kind lost its label is still shown, so that the
    // next save keeps it.
    const QString sql = QStringLiteral("SELECT ") +
                        QStringList{QStringLiteral("E.NMEMBER"),   QStringLiteral("I.CMEMBER"),
                                    QStringLiteral("D.CNAME"),     QStringLiteral("E.NMEMBPRI"),
                                    QStringLiteral("E.NMEMBOCCU"), QStringLiteral("E.NINDIRECT")}
                            .join(QStringLiteral(", ")) +
                        QStringLiteral(", E.NMKIND AS NMKIND") + QStringLiteral(" FROM TMEMBER E") +
                        QStringLiteral(" LEFT OUTER JOIN MMEMBER I ON E.NMEMBER = I.NMEMBER") +
                        QStringLiteral(" LEFT OUTER JOIN MDIV D ON D.NDID = 17 AND D.NVAL = E.NMKIND") +
                        QStringLiteral(" WHERE E.NPROJECT = ") + QString::number(m_state.CurProject) +
                        QStringLiteral(" ORDER BY E.NADD");
    QSignalBlocker blocker(m_list);
    for (Recordset rs = OpenRs(m_state.conn(), sql); !rs.eof(); rs.moveNext()) {
        const int member = ToInt(rs.field(QStringLiteral("NMEMBER")));
        const QString key = MemberRowKey(member);
        auto* item = new QTreeWidgetItem(m_list);
        SetItemKey(item, key);
        item->setText(0, ToText(rs.field(QStringLiteral("CMEMBER"))));
        const QString kindName = ToText(rs.field(QStringLiteral("CNAME")));
        SetRowCells(item, {kindName, FormatAmount(rs.field(QStringLiteral("NMEMBPRI"))),
                           ToText(rs.field(QStringLiteral("NMEMBOCCU"))),
                           ToText(rs.field(QStringLiteral("NINDIRECT")))});
        const int kind = ToInt(rs.field(QStringLiteral("NMKIND")));
        if (kindName.isEmpty()) {
            m_unlabelledKinds.insert(key, kind);
        }
        m_loadedKinds.insert(member, kind);
    }
    FitListColumns(m_list);
}

void MemberPage::memberPicked()
{
    try {
        Recordset rs =
            OpenRs(m_state.conn(), QStringLiteral("SELECT NMKIND,NMEMBPRI FROM MMEMBER WHERE NMEMBER = ") +
                                       QString::number(ComboKey(m_member)));
        if (!rs.eof()) {
            SelectComboByKey(m_kind, rs.field(QStringLiteral("NMKIND")));
            m_price->setText(FormatAmount(rs.field(QStringLiteral("NMEMBPRI"))));
        }
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), this);
    }
}

void MemberPage::rowClicked(QTreeWidgetItem* item)
{
    if (!item) {
        return;
    }
    SelectedMemberKey = ItemKey(item);
    const int id = KeyToId(SelectedMemberKey);
    const int index = m_member->findData(id);
    if (index >= 0) {
        m_member->setCurrentIndex(index);
    } else {
        m_member->setCurrentIndex(-1);
        m_member->setEditText(item->text(0));
    }
    SelectComboByText(m_kind, item->text(1));
    m_price->setText(item->text(2).isEmpty() ? QString() : FormatAmount(NumberOrZero(item->text(2))));
    m_occupied->setText(item->text(3));
    m_indirect->setText(item->text(4));
    m_update->setEnabled(true);
    m_delete->setEnabled(true);
    const bool several = m_list->topLevelItemCount() > 1;
    m_up->setEnabled(several);
    m_down->setEnabled(several);
}

int MemberPage::pickedMember() const
{
    const int index = m_member->currentIndex();
    if (index >= 0 && m_member->itemText(index) == m_member->currentText()) {
        return m_member->itemData(index).toInt();
    }
    return 0;
}

bool MemberPage::MemberIsCharged(int id)
{
    Recordset rs = OpenRs(m_state.conn(), QStringLiteral("SELECT * FROM TCHARGE") +
                                              QStringLiteral(" WHERE NPROJECT = ") +
                                              QString::number(m_state.CurProject) +
                                              QStringLiteral(" AND NMEMBER = ") + QString::number(id));
    return !rs.eof();
}

void MemberPage::ApplyMemberRow(int mode)
{
    QTreeWidgetItem* row = SelectedMemberKey.isEmpty() ? nullptr : FindItemByKey(m_list, SelectedMemberKey);
    if (mode != 0 && !row) {
        return;
    }
    const int oldId = KeyToId(SelectedMemberKey);
    try {
        if (mode == 2) {
            if (MemberIsCharged(oldId)) {
                Messages::exclamation(
                    this, QStringLiteral("使用済み"),
                    QStringLiteral("指定のメンバは既に作業分担されています。削除できません。"));
                return;
            }
            m_unlabelledKinds.remove(SelectedMemberKey);
            delete row;
            SelectedMemberKey.clear();
            m_update->setEnabled(false);
            m_delete->setEnabled(false);
            m_up->setEnabled(false);
            m_down->setEnabled(false);
            UpdateMemberTotal();
            return;
        }

        const QString name = m_member->currentText().trimmed();
        if (name.isEmpty()) {
            Messages::required(this, m_memberLabel->text());
            return;
        }
        if (m_price->text().isEmpty()) {
            Messages::required(this, m_priceLabel->text());
            return;
        }
        if (m_occupied->text().isEmpty()) {
            Messages::required(this, m_occupiedLabel->text());
            return;
        }
        if (!CheckNumberBox(this, m_priceLabel->text(), m_price) ||
            !CheckNumberBox(this, m_occupiedLabel->text(), m_occupied) ||
            !CheckNumberBox(this, m_indirectLabel->text(), m_indirect)) {
            return;
        }

        const int kind = ComboKey(m_kind);
        const MasterEntry entry = EnterMember(m_state.conn(), pickedMember(), name, kind, m_price->text());
        if (entry.inserted) {
            FillMemberCombo(entry.id);
        }
        const QString newKey = MemberRowKey(entry.id);
        if (mode == 1) {
            QSignalBlocker blocker(m_list);
            m_list->setCurrentItem(row);
        }
        if (!ListKeyFree(m_list, newKey, mode)) {
            Messages::exclamation(this, QStringLiteral("重複エラー"),
                                  QStringLiteral("その人は既に登録されています。"));
            return;
        }
        if (mode == 0) {
            QSignalBlocker blocker(m_list);
            row = new QTreeWidgetItem(m_list);
        } else {
            if (entry.id != oldId && MemberIsCharged(oldId)) {
                Messages::exclamation(
                    this, QStringLiteral("使用済み"),
                    QStringLiteral("更新前のメンバが既に作業分担されています。更新できません。"));
                return;
            }
            m_unlabelledKinds.remove(SelectedMemberKey);
            SelectedMemberKey = newKey;
        }
        SetItemKey(row, newKey);
        row->setText(0, m_member->currentText());
        SetRowCells(row, {m_kind->currentText(), FormatAmount(m_price->text()), m_occupied->text(),
                          m_indirect->text()});
        FitListColumns(m_list);
        UpdateMemberTotal();
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), this);
    } catch (const ConversionError& e) {
        ShowDbError(e, QString(), this);
    }
}

void MemberPage::moveRow(int offset)
{
    MoveListRow(m_list, offset);
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

int MemberPage::rowKind(const QTreeWidgetItem* item) const
{
    const QString key = ItemKey(item);
    if (item->text(1).isEmpty() && m_unlabelledKinds.contains(key)) {
        return m_unlabelledKinds.value(key);
    }
    return ComboKey(m_kind, item->text(1));
}

QList<MemberRow> MemberPage::rows() const
{
    QList<MemberRow> result;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        result.append({KeyToId(ItemKey(item)), rowKind(item), item->text(2), item->text(3), item->text(4)});
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
