#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
struct AppState;
struct QuoteSettings;

// The cost components of the project open in the editor, read from its boxes and lists as
// they stand on screen when the quotation opens.
struct QuoteSources {
    QString baseText;                 // the base fee box
    std::array<double, 3> expenses{}; // by buyer code 0 own company, 1 customer, 2 other
    double options = 0;               // contract options
    double deliverables = 0;
};

// frmCalc: composes the order amount from the ticked components less a discount. Post
// keeps the ticks and the discount in the open project's quotation settings; the editor then
// takes postedTotal() into its order-amount box. Nothing reaches the database here.
class QuotationDialog : public QDialog {
    Q_OBJECT
public:
    // Raises DbError when the work total cannot be read.
    QuotationDialog(AppState& state, const QuoteSources& sources, QWidget* parent = nullptr);

    void RecalcQuote();
    QString postedTotal() const { return m_posted; }

private:
    void discountEdited();
    void post();
    // The ticks and discount as post would keep them.
    QuoteSettings shownSettings() const;

    AppState& m_state;
    double QuoteBase = 0;
    double QuoteWork = 0;
    double QuoteOpt = 0;
    double QuoteDeliv = 0;
    std::array<double, 3> QuoteExpe{};
    double QuoteSub = 0;
    QCheckBox* m_checks[6];
    QLineEdit* m_discount;
    QLabel* m_total;
    QString m_posted;
};
