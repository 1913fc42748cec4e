#include "estimation/function_summary.h"

#include "common/form_widgets.h"

#include <QGridLayout>
#include <QLabel>

FunctionSummary::FunctionSummary(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraSummary"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    m_ufp = ValueLabel(this, QStringLiteral("lblUFP"), 64);
    m_fpCoef = ValueLabel(this, QStringLiteral("lblFpCoef"), 64);
    m_adjustedFp = ValueLabel(this, QStringLiteral("lblFP"), 64);
    m_loc = ValueLabel(this, QStringLiteral("lblLoc"), 64);
    m_loc->setToolTip(QStringLiteral("単位：KStep"));
    m_cocomoHour = ValueLabel(this, QStringLiteral("lblCoHour"), 64);
    m_plannedHour = ValueLabel(this, QStringLiteral("lblHour"), 64);
    m_plannedHour->setToolTip(QStringLiteral("入力した見積工数の合計"));
    m_remHour = ValueLabel(this, QStringLiteral("lblRemHour"), 64);
    m_remHour->setToolTip(QStringLiteral("COCOMO工数 - 予想工数計"));

    const struct {
        const char* caption;
        QLabel* value;
        int row;
        int column;
    } cells[] = {
        {"未調整ファンクションポイント", m_ufp, 0, 0},
        {"ファンクションポイント調整係数", m_fpCoef, 1, 0},
        {"ファンクションポイント", m_adjustedFp, 2, 0},
        {"予測ソースステップ数", m_loc, 0, 2},
        {"COCOMO工数：", m_cocomoHour, 0, 4},
        {"見積工数計：", m_plannedHour, 1, 4},
        {"工数差分：", m_remHour, 2, 4},
    };
    for (const auto& c : cells) {
        auto* caption = new QLabel(QString::fromUtf8(c.caption), this);
        caption->setToolTip(c.value->toolTip());
        grid->addWidget(caption, c.row, c.column);
        grid->addWidget(c.value, c.row, c.column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
}

void FunctionSummary::showEstimate(const EstimateResult& r)
{
    m_ufp->setText(r.ufpText);
    m_fpCoef->setText(r.vafText);
    m_adjustedFp->setText(r.fpText);
    m_loc->setText(r.kStepText);
    m_cocomoHour->setText(r.cocomoHoursText);
    m_plannedHour->setText(r.plannedHoursText);
    m_remHour->setText(r.remainingHoursText);
    QPalette palette = m_remHour->palette();
    palette.setColor(QPalette::WindowText, r.remainingHoursText.startsWith(QLatin1Char('-'))
                                               ? QColor(Qt::red)
                                               : this->palette().color(QPalette::WindowText));
    m_remHour->setPalette(palette);
}
