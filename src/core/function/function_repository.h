#pragma once

#include <QString>

struct AppState;
struct CodeChoice;
class FunctionDraft;
struct FunctionData;

// The function of state.CurProject / state.CurFunction with all its rows, as the function
// editor reads and writes it, and the lookups the editor needs, on state.Conn. Statements raise
// DbError with their text; a row the editor has no place for is such an error too.
class FunctionRepository {
public:
    explicit FunctionRepository(AppState& state) : m_state(state) {}

    struct Loaded {
        // The language's coefficient is beyond the 16-bit range: it counts 0.
        bool languageOverflow = false;
    };
    // Fills the draft of a new (state.FuncEditMode 0) or existing function: the assignments
    // first (into state.chargeTable, in member-assignment mode), the classes, the languages, the
    // COCOMO drivers, the processes in use, then the unit prices of a new function or the
    // stored rows of an existing one, the function points, the coefficients last.
    Loaded loadDraft(FunctionDraft& draft);

    struct ClassCoefficient {
        QString shown; // "1.10", or "0" when the class has no row
        double value = 0;
    };
    // The coefficient of the class chosen for correction class i (0 new/update … 4 term).
    ClassCoefficient classCoefficient(int i, const CodeChoice& chosen);

    struct StepsPerPoint {
        int value = 0; // source steps per function point; 0 without a language
        bool overflow = false;
    };
    StepsPerPoint languageCoefficient(const CodeChoice& language);

    // The points of a function-point row of this kind and complexity, as shown.
    QString fpPoints(int kind, int complexity);

    // Writes the function with all its rows in one transaction (mode 0 new, 1 update), or
    // deletes it (2); see WriteFunctionData.
    void save(int mode, const FunctionData& data, QString* lastStatement);

private:
    QString where() const;
    void loadCharges();
    void loadChoices(FunctionDraft& draft);
    void loadDrivers(FunctionDraft& draft);
    void loadProcesses(FunctionDraft& draft);
    void loadUnitPrices(FunctionDraft& draft);
    void loadStoredFunction(FunctionDraft& draft);
    void loadFpRows(FunctionDraft& draft);

    AppState& m_state;
};
