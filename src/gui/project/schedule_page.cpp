#include "project/schedule_page.h"

#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_pages.h"
#include "convert/conversions.h"
#include "project/form_parts.h"
#include "project/project_repository.h"
#include "state/app_state.h"

#include <QDate>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

SchedulePage::SchedulePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_2"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    const int perColumn = kRows / 2;
    for (int half = 0; half < 2; ++half) {
        for (int c = 0; c < 2; ++c) {
            QLabel* heading = HeadingLabel(this, c == 0 ? QStringLiteral("工程") : QStringLiteral("予定日"));
            grid->addWidget(heading, 0, half * 3 + c);
            m_headings[half * 2 + c] = heading;
        }
    }
    for (int i = 0; i < kRows; ++i) {
        m_names[i] = NamedLabel(this, QStringLiteral("lblDate_%1").arg(i), QString());
        m_names[i]->setMinimumWidth(110);
        m_dates[i] = NamedBox(this, QStringLiteral("txtDate_%1").arg(i), 110);
        m_dates[i]->setMaxLength(10);
        m_dates[i]->setPlaceholderText(QStringLiteral("yyyy/mm/dd"));
        AttachDateFilter(m_dates[i]);
        m_dates[i]->installEventFilter(this);
        const int row = 1 + i % perColumn;
        const int column = (i / perColumn) * 3;
        grid->addWidget(m_names[i], row, column);
        grid->addWidget(m_dates[i], row, column + 1);
    }
    grid->setColumnMinimumWidth(2, 30);
    grid->setColumnStretch(5, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    QLabel* hint =
        new QLabel(QStringLiteral("各工程の予定日を 年/月/日 (例 2003/04/15) で入力します。"
                                  "最も早い日付から最も遅い日付までの月数が打合せ費用の計算に使われます。"),
                   this);
    hint->setWordWrap(true);
    hint->setStyleSheet(QStringLiteral("color: palette(mid);"));
    layout->addSpacing(8);
    layout->addWidget(hint);
    layout->addStretch();
}

void SchedulePage::LoadScheduleDates(int function)
{
    const QList<ScheduleRow> rows =
        ProjectRepository(m_state.conn()).scheduleDates(m_state.CurProject, function);
    m_shown = 0;
    for (const ScheduleRow& row : rows) {
        if (m_shown == kRows) {
            break;
        }
        const int i = m_shown++;
        m_names[i]->setText(row.name);
        m_codes[i] = WarnOnOverflow(row.process);
        if (m_state.EditMode != 0) {
            m_dates[i]->setText(row.date);
        } else if (i == 0) {
            m_dates[i]->setText(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        }
    }
    for (int i = 0; i < kRows; ++i) {
        m_names[i]->setVisible(i < m_shown);
        m_dates[i]->setVisible(i < m_shown);
    }
    m_headings[2]->setVisible(m_shown > kRows / 2);
    m_headings[3]->setVisible(m_shown > kRows / 2);
}

QList<ScheduleDate> SchedulePage::dates() const
{
    QList<ScheduleDate> result;
    for (int i = 0; i < m_shown; ++i) {
        const QDate date = DateFromText(m_dates[i]->text());
        if (date.isValid()) {
            result.append({m_codes[i], date});
        }
    }
    return result;
}

bool SchedulePage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        for (int i = 0; i < kRows; ++i) {
            if (watched == m_dates[i]) {
                // Asked once the focus has settled, so the question does not fight the move.
                QPointer<SchedulePage> self(this);
                QTimer::singleShot(0, this, [self, i] {
                    if (self) {
                        self->checkDate(i);
                    }
                });
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SchedulePage::checkDate(int row)
{
    if (window()->isVisible() && !m_dates[row]->hasFocus()) {
        askAboutDate(row);
    }
}

bool SchedulePage::confirmDates()
{
    for (int i = 0; i < m_shown; ++i) {
        if (!needsQuestion(i)) {
            continue;
        }
        ShowTabPage(this); // the question is about a box of this page
        if (!askAboutDate(i)) {
            return false;
        }
    }
    return true;
}

bool SchedulePage::needsQuestion(int row) const
{
    const QString text = m_dates[row]->text();
    return row < m_shown && !text.isEmpty() && !IsDateText(text) && m_asked[row] != text;
}

bool SchedulePage::askAboutDate(int row)
{
    if (!needsQuestion(row)) {
        return true;
    }
    QLineEdit* box = m_dates[row];
    const QString text = box->text();
    // Marked before asking: the check queued when the box lost the focus may come round while
    // the question is open.
    m_asked[row] = text;
    const auto answer = Messages::question(
        this, QStringLiteral("確認"), QStringLiteral("日付として不正です。確認してください。"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, Messages::Exclamation);
    if (answer != QMessageBox::Yes) {
        return true;
    }
    m_asked[row].clear();
    ShowTabPage(this);
    box->setFocus();
    box->selectAll();
    return false;
}
