#include "accuracy/actual_dialog.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kDateFormat = QStringLiteral("yyyy/MM/dd");

QString hoursText(double hours)
{
    return FormatNumber(hours, 0);
}

} // namespace

ActualDialog::ActualDialog(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state), m_project(state.CurProject)
{
    setObjectName(QStringLiteral("frmActual"));
    setWindowTitle(QStringLiteral("実績工数入力"));
    Help::setTopic(this, 80);
    m_sheet = LoadActualSheet(*state.Conn, m_project);

    auto* layout = new QVBoxLayout(this);
    auto* project = NamedLabel(this, QStringLiteral("lblActProject"), m_sheet.path);
    MakeBold(project);
    layout->addWidget(project);
    layout->addWidget(
        new QLabel(QStringLiteral("工程毎の実績工数を時間（整数）で入力します。空欄は未記録です。"), this));

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrActual"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(buildGrid());
    layout->addWidget(scroll, 1);

    auto* bottom = new QHBoxLayout;
    m_done = new QCheckBox(QStringLiteral("完了"), this);
    m_done->setObjectName(QStringLiteral("chkDone"));
    m_done->setToolTip(QStringLiteral("完了したプロジェクトの実績が見積精度と校正に使われます。"));
    m_doneDate = NamedBox(this, QStringLiteral("txtDoneDate"), 110);
    AttachDateFilter(m_doneDate);
    bottom->addWidget(m_done);
    bottom->addWidget(NamedLabel(this, QStringLiteral("lblDoneDate"), QStringLiteral("完了日")));
    bottom->addWidget(m_doneDate);
    bottom->addStretch(1);
    auto* ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("保存"));
    auto* cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    m_done->setChecked(m_sheet.done);
    m_doneDate->setText(m_sheet.done && m_sheet.doneDate.isValid() ? m_sheet.doneDate.toString(kDateFormat)
                                                                   : QString());
    m_doneDate->setEnabled(m_sheet.done);
    connect(m_done, &QCheckBox::toggled, this, [this](bool on) {
        m_doneDate->setEnabled(on);
        if (on && m_doneDate->text().isEmpty()) {
            m_doneDate->setText(QDate::currentDate().toString(kDateFormat));
        }
    });
    connect(ok, &QPushButton::clicked, this, &ActualDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showTotals();
    resize(std::min(980, 320 + 86 * int(m_sheet.processes.size())), 520);
}

QWidget* ActualDialog::buildGrid()
{
    auto* grid = new QWidget;
    auto* g = new QGridLayout(grid);
    g->setHorizontalSpacing(6);
    const int processes = m_sheet.processes.size();
    g->addWidget(HeadingLabel(grid, QStringLiteral("機能項目")), 0, 0);
    for (int p = 0; p < processes; ++p) {
        auto* heading =
            HeadingLabel(grid, m_sheet.processes.at(p).name, QStringLiteral("lblActProc_%1").arg(p));
        heading->setAlignment(Qt::AlignCenter);
        g->addWidget(heading, 0, p + 1);
    }
    g->addWidget(HeadingLabel(grid, QStringLiteral("実績計")), 0, processes + 1, Qt::AlignRight);
    g->addWidget(HeadingLabel(grid, QStringLiteral("見積工数")), 0, processes + 2, Qt::AlignRight);

    double plannedAll = 0;
    for (int r = 0; r < m_sheet.rows.size(); ++r) {
        const ActualSheet::Row& row = m_sheet.rows.at(r);
        auto* title = NamedLabel(grid, QStringLiteral("lblActFunc_%1").arg(r), row.title);
        title->setToolTip(row.title);
        title->setMinimumWidth(120);
        g->addWidget(title, r + 1, 0);
        QVector<QLineEdit*> cells;
        for (int p = 0; p < processes; ++p) {
            auto* box = NumberBox(grid, QStringLiteral("txtActual_%1_%2").arg(r).arg(p), 70);
            AttachNumericFilter(box, false, false);
            box->setMaxLength(7);
            const auto it = row.hours.constFind(m_sheet.processes.at(p).code);
            if (it != row.hours.constEnd()) {
                box->setText(QString::number(it.value()));
            }
            connect(box, &QLineEdit::textChanged, this, &ActualDialog::showTotals);
            g->addWidget(box, r + 1, p + 1);
            cells << box;
        }
        m_cells << cells;
        auto* total = ValueLabel(grid, QStringLiteral("lvlActTotal_%1").arg(r), 70);
        m_rowTotals << total;
        g->addWidget(total, r + 1, processes + 1);
        g->addWidget(ValueLabel(grid, QStringLiteral("lvlPlanned_%1").arg(r), 70, hoursText(row.planned)),
                     r + 1, processes + 2);
        plannedAll += row.planned;
    }
    const int last = m_sheet.rows.size() + 1;
    if (m_sheet.rows.isEmpty()) {
        g->addWidget(new QLabel(QStringLiteral("集計対象の機能項目がありません。"), grid), last, 0, 1,
                     processes + 3);
    } else {
        g->addWidget(SeparatorLine(grid), last, 0, 1, processes + 3);
        auto* caption = new QLabel(QStringLiteral("合計"), grid);
        MakeBold(caption);
        g->addWidget(caption, last + 1, 0);
        m_actualAll = ValueLabel(grid, QStringLiteral("lvlActTotalAll"), 70);
        m_plannedAll = ValueLabel(grid, QStringLiteral("lvlPlannedAll"), 70, hoursText(plannedAll));
        MakeBold(m_actualAll);
        MakeBold(m_plannedAll);
        g->addWidget(m_actualAll, last + 1, processes + 1);
        g->addWidget(m_plannedAll, last + 1, processes + 2);
    }
    g->setRowStretch(last + 2, 1);
    g->setColumnStretch(0, 1);
    return grid;
}

void ActualDialog::showTotals()
{
    double all = 0;
    for (int r = 0; r < m_cells.size(); ++r) {
        double sum = 0;
        bool any = false;
        for (QLineEdit* box : m_cells.at(r)) {
            double value = 0;
            if (!box->text().isEmpty() && ParseNumber(box->text(), &value)) {
                sum += value;
                any = true;
            }
        }
        m_rowTotals.at(r)->setText(any ? hoursText(sum) : QString());
        all += sum;
    }
    if (m_actualAll) {
        m_actualAll->setText(hoursText(all));
    }
}

bool ActualDialog::readSheet(ActualSheet* sheet)
{
    *sheet = m_sheet;
    for (int r = 0; r < m_cells.size(); ++r) {
        ActualSheet::Row& row = sheet->rows[r];
        row.hours.clear();
        for (int p = 0; p < m_cells.at(r).size(); ++p) {
            QLineEdit* box = m_cells.at(r).at(p);
            const QString text = box->text().trimmed();
            if (text.isEmpty()) {
                continue;
            }
            double value = -1;
            if (!ParseNumber(text, &value) || value < 0 || value > kMaxActualHours ||
                value != std::floor(value)) {
                Messages::exclamation(
                    this, QStringLiteral("入力確認"),
                    QStringLiteral("実績工数は0～999,999の整数（時間）で入力してください。"));
                box->setFocus();
                box->selectAll();
                return false;
            }
            row.hours.insert(sheet->processes.at(p).code, static_cast<int>(value));
        }
    }
    sheet->done = m_done->isChecked();
    sheet->doneDate = QDate();
    if (sheet->done) {
        const QString text = m_doneDate->text().trimmed();
        if (text.isEmpty()) {
            Messages::required(this, QStringLiteral("完了日"));
            m_doneDate->setFocus();
            return false;
        }
        sheet->doneDate = DateFromText(text);
        if (!sheet->doneDate.isValid()) {
            Messages::exclamation(this, QStringLiteral("入力確認"),
                                  QStringLiteral("完了日の値が正しくありません。"));
            m_doneDate->setFocus();
            m_doneDate->selectAll();
            return false;
        }
    }
    return true;
}

void ActualDialog::save()
{
    ActualSheet sheet;
    if (!readSheet(&sheet)) {
        return;
    }
    const bool saved = RunHandler(this, [&] {
        const WaitCursor wait;
        SaveActualSheet(*m_state.Conn, m_project, sheet);
    });
    if (saved) {
        closeSaved();
    }
}
