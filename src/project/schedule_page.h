#pragma once

#include "project/project_data.h"

#include <QWidget>

class QLabel;
class QLineEdit;
struct AppState;

// The dates tab: the planned date of each development process.
class SchedulePage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 20;

    SchedulePage(AppState& state, QWidget* parent = nullptr);

    void LoadScheduleDates(int function);

    // Every shown row that holds a valid date, with its process code.
    QList<ScheduleDate> dates() const;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void checkDate(int row);

    AppState& m_state;
    QLabel* m_names[kRows];
    QLineEdit* m_dates[kRows];
    int m_codes[kRows] = {};
    QLabel* m_headings[4];
    int m_shown = 0;
};
