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

    // Before a save: asks about every box that holds no valid date, as leaving the box does
    // (a text already asked about is not asked again). false when the user chose to correct
    // one: the focus is back on it.
    bool confirmDates();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void checkDate(int row);
    // The question about one box; false when the user chose to correct it.
    bool needsQuestion(int row) const;
    bool askAboutDate(int row);

    AppState& m_state;
    QLabel* m_names[kRows];
    QLineEdit* m_dates[kRows];
    int m_codes[kRows] = {};
    QLabel* m_headings[4];
    QString m_asked[kRows]; // the invalid text the user chose to keep
    int m_shown = 0;
};
