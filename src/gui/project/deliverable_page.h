#pragma once

#include "project/project_data.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The deliverables tab: one row per deliverable kind, then free rows for further deliverables.
class DeliverablePage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 20;

    DeliverablePage(AppState& state, QWidget* parent = nullptr);

    void prepare(); // the kind rows
    void LoadDeliverables();
    void UpdateDeliverableTotal();
    void proposePrices();

    QList<DeliverableRow> rows() const;
    double total() const { return m_total; }
    bool validate();

signals:
    void totalChanged(double total);

private:
    void makeKindRow(int row, int kind, const QString& name);
    bool counts(int row) const;
    bool proposable(int row) const;
    void freeNameEdited(int row);

    AppState& m_state;
    QLabel* m_names[kRows];
    QCheckBox* m_delivered[kRows];
    QCheckBox* m_formats[kRows];
    QLineEdit* m_freeNames[kRows];
    QLineEdit* m_prices[kRows];
    int DelivKind[kRows + 1] = {};
    // Rows kept for a stored kind that has left the division: no coefficients to propose from.
    bool m_retiredKind[kRows] = {};
    QPushButton* m_propose;
    double m_total = 0;
};
