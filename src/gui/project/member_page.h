#pragma once

#include "project/project_data.h"

#include <QHash>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class RowListPanel;
struct AppState;

// The members tab: who works on the project, at what cost, for how many hours.
class MemberPage : public QWidget {
    Q_OBJECT
public:
    MemberPage(AppState& state, QWidget* parent = nullptr);

    void prepare();        // the job kinds
    void LoadMemberList(); // the member master and, when updating, the project's rows
    void UpdateMemberTotal();
    void ApplyMemberRow(int mode);

    QList<MemberRow> rows() const;
    double total() const { return m_total; }
    // A member with assigned work whose job kind differs from the one loaded: the unit prices
    // of that work changed.
    bool chargedKindChanged();

signals:
    void totalChanged(double total);

private:
    void FillMemberCombo(int id);
    bool MemberIsCharged(int id);
    void memberPicked();
    void rowClicked(QTreeWidgetItem* item);
    void addOrUpdate(int mode);

    AppState& m_state;
    QComboBox* m_member;
    QComboBox* m_kind;
    QLineEdit* m_price;
    QLineEdit* m_occupied;
    QLineEdit* m_indirect;
    QLabel* m_memberLabel;
    QLabel* m_kindLabel;
    QLabel* m_priceLabel;
    QLabel* m_occupiedLabel;
    QLabel* m_indirectLabel;
    RowListPanel* m_rows;
    QTreeWidget* m_list;
    double m_total = 0;
    // The job kind of each member as loaded, by member id.
    QHash<int, int> m_loadedKinds;
};
