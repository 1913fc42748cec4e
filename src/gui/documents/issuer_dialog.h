#pragma once

#include "common/dialog_placement.h"

struct AppState;
struct IssuerDetails;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// frmIssuer: the issuer of the quotations (letterhead, terms, tax), one record for everyone on
// the database. The save checks every entry first and writes nothing when one is refused.
class IssuerDialog : public GuardedDialog {
    Q_OBJECT
public:
    // Raises DbError when the stored details cannot be read.
    IssuerDialog(AppState& state, QWidget* parent = nullptr);

    void save(); // cmdOK

protected:
    int updatingMode() const override { return m_stored ? 1 : 0; }

private:
    void showDetails(const IssuerDetails& details);
    bool validate();

    AppState& m_state;
    bool m_stored = false;
    QLineEdit* m_company;
    QLineEdit* m_postal;
    QLineEdit* m_address[2];
    QLineEdit* m_tel;
    QLineEdit* m_regNo;
    QLineEdit* m_person;
    QPlainTextEdit* m_payTerms;
    QLineEdit* m_validDays;
    QLineEdit* m_taxRate;
    QComboBox* m_taxRound;
    QPlainTextEdit* m_remarks;
};
