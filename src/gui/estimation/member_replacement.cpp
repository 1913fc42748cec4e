#include "estimation/member_replacement.h"

#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/wait_cursor.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MemberReplacementDialog::MemberReplacementDialog(AppState& state, QWidget* parent)
    : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmMembChg"));
    setWindowTitle(QStringLiteral("メンバ入替え"));
    Help::setTopic(this, 66);

    auto* note =
        new QLabel(QStringLiteral("選択中のプロジェクトにおいて指定のメンバに分担した作業を全て別のメンバに"
                                  "振り替えます。ポリシーで「工程別単価で計算する」を指定している場合には"
                                  "意味がありません。"),
                   this);
    note->setObjectName(QStringLiteral("lblNote"));
    note->setWordWrap(true);
    note->setFixedWidth(400);

    auto* sourceLabel = NamedLabel(this, QStringLiteral("lblMembSrc"), QStringLiteral("解放するメンバ"));
    m_source = NamedCombo(this, QStringLiteral("cmbMembSrc"));
    sourceLabel->setBuddy(m_source);
    auto* targetLabel = NamedLabel(this, QStringLiteral("lblMembDis"), QStringLiteral("新担当メンバ"));
    m_target = NamedCombo(this, QStringLiteral("cmbMembDis"));
    targetLabel->setBuddy(m_target);
    for (QComboBox* combo : {m_source, m_target}) {
        combo->setMinimumWidth(240);
    }

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(12);
    form->addWidget(sourceLabel, 0, 0);
    form->addWidget(m_source, 0, 1, Qt::AlignLeft);
    form->addWidget(targetLabel, 1, 0);
    form->addWidget(m_target, 1, 1, Qt::AlignLeft);
    form->setColumnStretch(1, 1);

    m_ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("実行"));
    auto* close = NamedButton(this, QStringLiteral("cmbCancel"), QStringLiteral("閉じる"));
    for (QPushButton* button : {m_ok, close}) {
        button->setMinimumWidth(88);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(close);

    auto* main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->setSpacing(14);
    main->addWidget(note);
    main->addLayout(form);
    main->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &MemberReplacementDialog::execute);
    connect(close, &QPushButton::clicked, this, &MemberReplacementDialog::reject);

    loadMembers();
}

void MemberReplacementDialog::loadMembers()
{
    m_source->clear();
    m_target->clear();
    int count = 0;
    try {
        for (const ReplacementMember& member : ReplacementMembers(m_state.conn(), m_state.CurProject)) {
            const int key = WarnOnOverflow(member.member);
            m_source->addItem(member.name, key);
            m_target->addItem(member.name, key);
            ++count;
        }
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        m_ok->setEnabled(false);
        return;
    }
    if (count < 2) {
        Messages::information(this, QStringLiteral("メンバ不足"),
                              QStringLiteral("メンバが１人以下しかいませんのでこの機能は使えません。"));
        m_ok->setEnabled(false);
        return;
    }
    m_source->setCurrentIndex(0);
    m_target->setCurrentIndex(0);
}

void MemberReplacementDialog::execute()
{
    const int src = ComboKey(m_source);
    const int dst = ComboKey(m_target);
    if (src == dst) {
        Messages::information(
            this, QStringLiteral("メンバ重複"),
            QStringLiteral("同じメンバが指定されています。\nメンバの指定を確認してください。"));
        return;
    }
    ReplacementResult result = ReplacementResult::NothingToReplace;
    try {
        WaitCursor wait;
        result = ReplaceMember(m_state.conn(), m_state.CurProject, src, dst);
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        return;
    }
    if (result == ReplacementResult::Replaced) {
        m_state.Updated = true;
        Messages::information(this, QStringLiteral("完了"), QStringLiteral("処理が完了しました。"));
    } else {
        Messages::information(this, QStringLiteral("対象なし"),
                              QStringLiteral("処理する対象がありませんでした。"));
    }
}
