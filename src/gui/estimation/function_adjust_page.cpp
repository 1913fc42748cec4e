#include "estimation/function_adjust_page.h"

#include "common/form_widgets.h"
#include "estimation/choice_combo.h"
#include "function/function_draft.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const kAdjustNames[kAdjustFactors] = {"データ通信",
                                                  "分散データ処理",
                                                  "性能要件",
                                                  "高負荷構成",
                                                  "トランザクション量",
                                                  "オンラインデータ入力",
                                                  "エンドユーザーの効率",
                                                  "オンライン更新",
                                                  "複雑な処理",
                                                  "再利用",
                                                  "インストールの簡易さ",
                                                  "操作の容易さ",
                                                  "複数サイト",
                                                  "機能の変更、追加に強い設計"};

} // namespace

FunctionAdjustPage::FunctionAdjustPage(FunctionDraft& draft, QWidget* parent)
    : QWidget(parent), m_draft(draft)
{
    auto* layout = new QVBoxLayout(this);
    auto* intro = NamedLabel(this, QStringLiteral("lblFpAdjNote"),
                             QStringLiteral("各項目の「全体への影響度」を０点～５点で評価値を設定します。"
                                            "０点は影響が無い場合、５点は大きく影響する場合です。"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    for (int i = 0; i < kAdjustFactors; ++i) {
        const int row = i % 7;
        const int column = (i / 7) * 3;
        auto* name =
            NamedLabel(this, QStringLiteral("lvlFpAdj_%1").arg(i), QString::fromUtf8(kAdjustNames[i]));
        m_adjust[i] = NamedCombo(this, QStringLiteral("cmbFpAdj_%1").arg(i));
        ShowChoice(m_adjust[i], m_draft.adjustment(i));
        grid->addWidget(name, row, column);
        grid->addWidget(m_adjust[i], row, column + 1);
        connect(m_adjust[i], &QComboBox::currentIndexChanged, this,
                [this, i](int index) { m_draft.chooseAdjustment(i, index); });
    }
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);

    auto* formula = new QHBoxLayout;
    formula->addStretch(1);
    formula->addWidget(new QLabel(QStringLiteral("（"), this));
    m_total = ValueLabel(this, QStringLiteral("lblFpAdjTotal"), 44);
    formula->addWidget(m_total);
    formula->addWidget(new QLabel(
        QStringLiteral("Ｘ %1 ) ＋ %2 ＝").arg(TwoDecimals(kAdjustStep), TwoDecimals(kAdjustBase)), this));
    m_result = ValueLabel(this, QStringLiteral("lblFpAdjRes"), 50);
    formula->addWidget(m_result);
    layout->addSpacing(8);
    layout->addLayout(formula);
    layout->addStretch(1);
}

void FunctionAdjustPage::showDraft()
{
    for (int i = 0; i < kAdjustFactors; ++i) {
        ShowChoice(m_adjust[i], m_draft.adjustment(i));
    }
}

void FunctionAdjustPage::showEstimate(const EstimateResult& r)
{
    m_total->setText(r.adjustTotalText);
    m_result->setText(r.vafText);
}
