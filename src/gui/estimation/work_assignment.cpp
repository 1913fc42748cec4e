#include "estimation/work_assignment.h"

#include "calc/estimate_calc.h"
#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/twips.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "function/assignment_queries.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QList<ListColumn> chargeColumns()
{
    return {{QStringLiteral("メンバ"), 1800},
            {QStringLiteral("作業時間"), 900, Qt::AlignRight},
            {QStringLiteral("作業費単価"), 1200, Qt::AlignRight}};
}

} // namespace

QString WorkAssignment::MemberKey(int member)
{
    return QStringLiteral("M%1").arg(member, 4, 10, QLatin1Char('0'));
}

WorkAssignment::WorkAssignment(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmCharge"));
    setWindowTitle(QStringLiteral("担当入力"));
    Help::setTopic(this, 54);

    auto* layout = new QVBoxLayout(this);
    m_process = HeadingLabel(this, QString(), QStringLiteral("lblProc"));
    layout->addWidget(m_process);

    auto* inputs = new QGridLayout;
    auto* memberLabel = NamedLabel(this, QStringLiteral("lblMember"), QStringLiteral("メンバ"));
    auto* hourLabel = NamedLabel(this, QStringLiteral("lblHour"), QStringLiteral("作業時間"));
    m_memberBox = NamedCombo(this, QStringLiteral("cmbMember"));
    m_memberBox->setMinimumWidth(160);
    m_hours = NumberBox(this, QStringLiteral("txtHour"), 80);
    AttachNumericFilter(m_hours, true, false);
    m_left = ValueLabel(this, QStringLiteral("lblLeft"), 80);
    m_left->setToolTip(QStringLiteral("このメンバがまだ割り当てられる時間"));
    inputs->addWidget(memberLabel, 0, 0);
    inputs->addWidget(m_memberBox, 0, 1, 1, 2);
    inputs->addWidget(new QLabel(QStringLiteral("残工数"), this), 0, 4);
    inputs->addWidget(m_left, 0, 5);
    inputs->addWidget(new QLabel(QStringLiteral("時間"), this), 0, 6);
    inputs->addWidget(hourLabel, 1, 0);
    inputs->addWidget(m_hours, 1, 1);
    inputs->addWidget(new QLabel(QStringLiteral("時間"), this), 1, 2);
    inputs->setColumnStretch(3, 1);
    layout->addLayout(inputs);

    m_rows = new RowListPanel(this, {QStringLiteral("cmdChgAdd"), QStringLiteral("cmdChgUp"),
                                     QStringLiteral("cmdChgDel"), QStringLiteral("lvwChList"),
                                     QStringLiteral("cmdChUp"), QStringLiteral("cmdChDown")});
    m_rows->addTo(layout);
    m_rows->list()->setMinimumHeight(200);

    auto* closeButtons = new QHBoxLayout;
    m_fix = NamedButton(this, QStringLiteral("cmdFix"), QStringLiteral("確定"));
    m_cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    m_fix->setMinimumWidth(90);
    m_cancel->setMinimumWidth(90);
    closeButtons->addStretch(1);
    closeButtons->addWidget(m_fix);
    closeButtons->addWidget(m_cancel);
    layout->addLayout(closeButtons);

    m_rows->addButton()->setEnabled(false);

    connect(m_memberBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_selecting && index >= 0) {
            selectMember();
        }
    });
    connect(m_rows, &RowListPanel::rowClicked, this, &WorkAssignment::rowClicked);
    connect(m_rows, &RowListPanel::applyRow, this, &WorkAssignment::editChargeRow);
    connect(m_fix, &QPushButton::clicked, this, &WorkAssignment::fix);
    connect(m_cancel, &QPushButton::clicked, this, &WorkAssignment::reject);

    try {
        m_selecting = true;
        for (const AssignableMember& member : AssignableMembers(*m_state.Conn, m_state.CurProject)) {
            m_memberBox->addItem(member.name, member.member);
        }
        m_memberBox->setCurrentIndex(-1);
        m_selecting = false;
        m_ready = true;
    } catch (const DbError& e) {
        m_selecting = false;
        ShowDbError(e, QString(), parent);
    }
    loadChargeList();
    resize(480, 420);
}

void WorkAssignment::setProcessName(const QString& name)
{
    m_process->setText(QStringLiteral("工程：") + name);
}

void WorkAssignment::loadChargeList()
{
    m_rows->setColumns(chargeColumns());
    const int process = m_state.ChargeProc;
    if (process < 1 || process > kChargeProcesses) {
        return;
    }
    for (int slot = 1; slot <= kMaxAssignments && m_state.chargeTable[process][slot].NADD != 0; ++slot) {
        const ChargeSlot& s = m_state.chargeTable[process][slot];
        auto* item = new QTreeWidgetItem(m_rows->list());
        SetItemKey(item, MemberKey(s.NMEMBER));
        // The exact unit price rides with the row; the column shows it in whole yen.
        SetRowTexts(item, {s.CMEMBER, ToText(s.NHOUR), FormatAmount(s.NDPRI)});
        item->setData(2, Qt::UserRole, s.NDPRI);
    }
    FitListColumns(m_rows->list());
}

void WorkAssignment::selectMember()
{
    const WaitCursor wait;
    m_rows->addButton()->setEnabled(true);
    m_member = ComboKey(m_memberBox);
    m_memberHours = 0;
    MemberAvailability member;
    try {
        member = MemberForAssignment(*m_state.Conn, m_state.CurProject, m_state.CurFunction,
                                     m_state.CurPriKind, m_member, m_state.policy.Hour);
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
        return;
    }
    if (member.kindOverflow) {
        ShowOverflow();
    }
    m_memberHours = member.hours;
    m_memberPrice = member.unitPrice;
    showMemberLeft();
}

void WorkAssignment::showMemberLeft()
{
    double used = 0;
    for (int p = 1; p <= kCountedProcesses; ++p) {
        for (int s = 1; s <= kMaxAssignments; ++s) {
            const ChargeSlot& slot = m_state.chargeTable[p][s];
            if (slot.NMEMBER == m_member && slot.NADD >= 1) {
                used += slot.NHOUR;
            }
        }
    }
    m_left->setText(ShownText(m_memberHours - used));
}

void WorkAssignment::rowClicked(QTreeWidgetItem* item)
{
    int member = 0;
    if (KeyNumber(ItemKey(item), &member, this)) {
        m_selecting = true;
        SelectComboByKey(m_memberBox, member);
        m_selecting = false;
        selectMember();
    }
    m_hours->setText(item->text(1));
    m_rows->chooseRow(item);
}

void WorkAssignment::editChargeRow(int op)
{
    if (op == 0 && m_rows->list()->topLevelItemCount() >= kMaxAssignments) {
        Messages::exclamation(this, QStringLiteral("定員オーバー"),
                              QStringLiteral("担当として登録できるのは") + QString::number(kMaxAssignments) +
                                  QStringLiteral("人までです。\nこれ以上登録できません"));
        return;
    }
    if (op == 0 || op == 1) {
        if (m_memberBox->currentIndex() < 0) {
            Messages::required(this, QStringLiteral("メンバ"));
            return;
        }
        if (!CheckWholeNumberBox(this, QStringLiteral("作業時間"), m_hours)) {
            return;
        }
        const int member = ComboKey(m_memberBox);
        const QString key = MemberKey(member);
        if (!ListKeyFree(m_rows->list(), key, op)) {
            Messages::exclamation(this, QStringLiteral("重複エラー"),
                                  QStringLiteral("その人は既に登録されています。"));
            return;
        }
        QTreeWidgetItem* item = m_rows->rowToEnter(op);
        if (!item) {
            return;
        }
        if (member != m_member) {
            selectMember();
        }
        // The edited row becomes the chosen one, so that the next update's duplicate check
        // lets this row, and only this row, keep its member.
        m_rows->enterRow(
            item, key,
            {m_memberBox->currentText(), ShownText(ToDbl(m_hours->text())), FormatAmount(m_memberPrice)});
        item->setData(2, Qt::UserRole, m_memberPrice);
    } else {
        m_rows->removeChosenRow();
    }
    syncChargeTable();
    showMemberLeft();
}

void WorkAssignment::syncChargeTable()
{
    const int process = m_state.ChargeProc;
    if (process < 1 || process > kChargeProcesses) {
        return;
    }
    auto& processSlots = m_state.chargeTable[process];
    const int rows = m_rows->list()->topLevelItemCount();
    for (int i = 1; i <= rows; ++i) {
        const QTreeWidgetItem* item = m_rows->list()->topLevelItem(i - 1);
        ChargeSlot& s = processSlots[i];
        int member = 0;
        KeyNumber(ItemKey(item), &member, this);
        s.NADD = i;
        s.CMEMBER = item->text(0);
        s.NHOUR = NumberOrZero(item->text(1));
        s.NMEMBER = member;
        s.NDPRI = item->data(2, Qt::UserRole).toDouble();
    }
    // Whatever followed stays out of every reader, also those that take every used slot.
    for (int i = rows + 1; i < static_cast<int>(processSlots.size()); ++i) {
        processSlots[i] = ChargeSlot{};
    }
}

void WorkAssignment::fix()
{
    syncChargeTable();
    accept();
}
