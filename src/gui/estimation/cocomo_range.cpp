#include "estimation/cocomo_range.h"

#include "calc/estimate_accuracy.h"
#include "calc/estimate_calc.h"
#include "common/form_widgets.h"
#include "convert/conversions.h"

#include <QHBoxLayout>
#include <QLabel>

CocomoRangeRow::CocomoRangeRow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraCoRange"));
    m_constant = NamedLabel(parent, QStringLiteral("lblCoA"), QString());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("COCOMO工数の範囲："), this));
    const char* names[3] = {"lblCoHOpt", "lblCoHStd", "lblCoHPes"};
    const QString captions[3] = {QStringLiteral("楽観"), QStringLiteral("標準"), QStringLiteral("悲観")};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            row->addWidget(new QLabel(QStringLiteral("／"), this));
        }
        row->addWidget(new QLabel(captions[i], this));
        m_hours[i] = ValueLabel(this, QString::fromLatin1(names[i]), 56);
        row->addWidget(m_hours[i]);
    }
    row->addWidget(new QLabel(QStringLiteral("時間"), this));
    row->addSpacing(16);
    m_calibrated = NamedLabel(this, QStringLiteral("lblCoCalib"), QString());
    MakeBold(m_calibrated);
    row->addWidget(m_calibrated);
    row->addStretch(1);
    setConstant(kCocomoA, false);
}

void CocomoRangeRow::setConstant(double a, bool calibrated)
{
    const QString text = CocomoAText(a);
    m_constant->setText(QStringLiteral("× %1 ×").arg(text));
    m_calibrated->setText(calibrated ? QStringLiteral("校正済み A=%1").arg(text) : QString());
    m_calibrated->setVisible(calibrated);
}

void CocomoRangeRow::showHours(double hours)
{
    const HourRange range = CocomoRange(hours);
    const double values[3] = {range.optimistic, range.likely, range.pessimistic};
    for (int i = 0; i < 3; ++i) {
        m_hours[i]->setText(FormatNumber(values[i], 0, false));
    }
}
