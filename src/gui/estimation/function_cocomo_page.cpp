#include "estimation/function_cocomo_page.h"

#include "common/form_widgets.h"
#include "estimation/choice_combo.h"
#include "estimation/cocomo_range.h"
#include "function/function_draft.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const kScaleNames[kScaleDrivers] = {"PREC", "FLEX", "RESL", "TEAM", "PMAT"};
const char* const kScaleTips[kScaleDrivers] = {"開発の先進性", "開発の柔軟性", "リスク解決度",
                                               "チームの凝集度", "プロセス成熟度"};
const char* const kCostNames[kCostDrivers] = {"RELY", "DATA", "CPLX", "RUSE", "DOCU", "TIME",
                                              "STOR", "PVOL", "ACAP", "PCAP", "PCON", "AEXP",
                                              "PEXP", "LTEX", "TOOL", "SITE", "SCED"};
const char* const kCostTips[kCostDrivers] = {"要求されるソフト信頼性のレベル",
                                             "データベースの規模",
                                             "製品の複雑性",
                                             "ソフトの再利用性",
                                             "要求されるドキュメントのレベル",
                                             "実行時間の制約",
                                             "主記憶容量の制約",
                                             "プラットホームの変更頻度",
                                             "アナリストの能力",
                                             "プログラマーの能力",
                                             "要因の継続性",
                                             "アプリケーションの経験",
                                             "プラットホームの経験",
                                             "言語とツールの経験",
                                             "使用するソフトウエアツールのレベル",
                                             "開発拠点の分散度",
                                             "開発スケジュールの期間"};

QString t(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

FunctionCocomoPage::FunctionCocomoPage(FunctionDraft& draft, QWidget* parent)
    : QWidget(parent), m_draft(draft)
{
    auto* layout = new QVBoxLayout(this);
    auto* frames = new QHBoxLayout;

    auto* scaleFrame = new QGroupBox(QStringLiteral("スケール要因"), this);
    scaleFrame->setObjectName(QStringLiteral("fraScale"));
    auto* scaleGrid = new QGridLayout(scaleFrame);
    for (int i = 0; i < kScaleDrivers; ++i) {
        auto* caption = NamedLabel(scaleFrame, QStringLiteral("lblCoScale_%1").arg(i), t(kScaleNames[i]));
        caption->setToolTip(t(kScaleTips[i]));
        m_scale[i] = NamedCombo(scaleFrame, QStringLiteral("cmbCoScale_%1").arg(i));
        m_scale[i]->setToolTip(t(kScaleTips[i]));
        m_scaleValue[i] = ValueLabel(scaleFrame, QStringLiteral("lblCoSVal_%1").arg(i), 44);
        scaleGrid->addWidget(caption, i, 0);
        scaleGrid->addWidget(m_scale[i], i, 1);
        scaleGrid->addWidget(m_scaleValue[i], i, 2);
        connect(m_scale[i], &QComboBox::currentIndexChanged, this, [this, i](int index) {
            m_draft.chooseScaleRank(i, index);
            showScaleValue(i);
        });
    }
    scaleGrid->setRowStretch(kScaleDrivers, 1);
    frames->addWidget(scaleFrame, 1);

    auto* costFrame = new QGroupBox(QStringLiteral("コスト要因"), this);
    costFrame->setObjectName(QStringLiteral("fraCost"));
    auto* costGrid = new QGridLayout(costFrame);
    for (int i = 0; i < kCostDrivers; ++i) {
        const int row = i % 9;
        const int column = (i / 9) * 4;
        auto* caption = NamedLabel(costFrame, QStringLiteral("lblCoCost_%1").arg(i), t(kCostNames[i]));
        caption->setToolTip(t(kCostTips[i]));
        m_cost[i] = NamedCombo(costFrame, QStringLiteral("cmbCoCost_%1").arg(i));
        m_cost[i]->setToolTip(t(kCostTips[i]));
        m_costValue[i] = ValueLabel(costFrame, QStringLiteral("lblCoCVal_%1").arg(i), 44);
        costGrid->addWidget(caption, row, column);
        costGrid->addWidget(m_cost[i], row, column + 1);
        costGrid->addWidget(m_costValue[i], row, column + 2);
        connect(m_cost[i], &QComboBox::currentIndexChanged, this, [this, i](int index) {
            m_draft.chooseCostRank(i, index);
            showCostValue(i);
        });
    }
    costGrid->setColumnMinimumWidth(3, 12);
    frames->addWidget(costFrame, 2);
    layout->addLayout(frames);
    buildFormula(layout);
}

// The formula with the figures it is computed from, each captioned below.
void FunctionCocomoPage::buildFormula(QVBoxLayout* layout)
{
    auto* formula = new QGridLayout;
    formula->setHorizontalSpacing(4);
    int column = 0;
    auto text = [&](const QString& s) { formula->addWidget(new QLabel(s, this), 0, column++); };
    auto figure = [&](QLabel*& target, const QString& name, const QString& caption) {
        target = ValueLabel(this, name, 48);
        formula->addWidget(target, 0, column);
        auto* c = new QLabel(caption, this);
        c->setAlignment(Qt::AlignCenter);
        formula->addWidget(c, 1, column++);
    };
    text(QStringLiteral("(("));
    figure(m_ufp, QStringLiteral("lblCoUfp"), QStringLiteral("UFP"));
    text(QStringLiteral("×"));
    figure(m_lang, QStringLiteral("lblCoLang"), QStringLiteral("言語"));
    text(QStringLiteral(") / %1) ↑").arg(kStepsPerKStep));
    figure(m_scaleExp, QStringLiteral("lblCoSRes"), QStringLiteral("Scale"));
    m_range = new CocomoRangeRow(this);
    formula->addWidget(m_range->constantLabel(), 0, column++);
    figure(m_effort, QStringLiteral("lblCoCRes"), QStringLiteral("Cost"));
    text(QStringLiteral("×"));
    figure(m_mtoH, QStringLiteral("lblCoMtoH"), QStringLiteral("人月"));
    text(QStringLiteral("＝"));
    figure(m_hours, QStringLiteral("lblCoHRes"), QString());
    text(QStringLiteral("時間"));
    formula->setColumnStretch(column, 1);
    layout->addSpacing(6);
    layout->addLayout(formula);
    layout->addWidget(m_range);
    layout->addStretch(1);
}

void FunctionCocomoPage::showDraft()
{
    m_range->setConstant(m_draft.cocomoA(), m_draft.calibrated());
    // A driver without ranks shows no value.
    for (int i = 0; i < kScaleDrivers; ++i) {
        ShowChoice(m_scale[i], m_draft.scaleDriver(i).ranks);
        if (!m_draft.scaleDriver(i).ranks.entries.isEmpty()) {
            showScaleValue(i);
        }
    }
    for (int i = 0; i < kCostDrivers; ++i) {
        ShowChoice(m_cost[i], m_draft.costDriver(i).ranks);
        if (!m_draft.costDriver(i).ranks.entries.isEmpty()) {
            showCostValue(i);
        }
    }
}

void FunctionCocomoPage::showScaleValue(int i)
{
    m_scaleValue[i]->setText(TwoDecimals(m_draft.scaleDriver(i).value()));
}

void FunctionCocomoPage::showCostValue(int i)
{
    m_costValue[i]->setText(TwoDecimals(m_draft.costDriver(i).value()));
}

void FunctionCocomoPage::showEstimate(const EstimateResult& r)
{
    m_ufp->setText(r.ufpText);
    m_lang->setText(r.langText);
    m_scaleExp->setText(r.scaleExpText);
    m_effort->setText(r.effortMultText);
    m_mtoH->setText(r.mtoHText);
    m_hours->setText(r.cocomoHoursText);
    m_range->showHours(r.cocomoHours);
}
