#pragma once

#include "project/project_data.h"
#include "project/project_stored.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
struct AppState;
class ProjectLookups;

// The first tab of the project editor: the project record.
class BasePage : public QWidget {
    Q_OBJECT
public:
    BasePage(AppState& state, QWidget* parent = nullptr);

    // The parent list (the project and its descendants left out when updating), the
    // customers and the price kinds.
    void prepare(int editMode, int proposedParent);
    // The stored project row.
    void loadProject(const LoadedProject& row);

    // The project row as the boxes now hold it.
    ProjectRecord record() const;
    // Refuses a save with a missing name or customer, or an amount that is no number.
    bool validate();

    int priceKind() const;
    int parentKey() const;
    QString projectName() const;
    QString baseText() const;
    void setPriceText(const QString& text);

private:
    void loadParentList(const ProjectLookups& lookups, int editMode, int proposedParent);
    void loadCustomers(const ProjectLookups& lookups);
    void loadPriceKinds(const ProjectLookups& lookups);
    void priceKindPicked();
    void contractCustomerLeft();
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppState& m_state;
    QComboBox* m_parent;
    QLabel* m_nameLabel;
    QLineEdit* m_name;
    QComboBox* m_endCustomer;
    QComboBox* m_contractCustomer;
    QComboBox* m_priceKind;
    QLineEdit* m_base;
    QLineEdit* m_price;
    QPlainTextEdit* m_outline;
    QPlainTextEdit* m_special;
};
