#pragma once

#include <QObject>
#include <QString>
#include <QVector>

// One function-point row of a function: its title, element kind (1 internal logical file … 5
// external inquiry), complexity (1 low, 2 average, 3 high) and the points of that pair.
struct FpRow {
    int id = 0; // the row's own number in its list, kept through edits and moves
    QString title;
    int kind = 1;
    int complexity = 2;
    QString points; // NFP as shown
};

// The function-point rows of the function being edited, in list order. Every change is
// announced, so that whatever shows the rows follows them.
class FpRowList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QVector<FpRow>& rows() const { return m_rows; }
    const FpRow* find(int id) const;
    // Whether no row has the title; the row except (0: none) is not compared, being the row
    // that is updated.
    bool titleFree(const QString& title, int except = 0) const;
    // The points of every row in list order, as the estimate adds them.
    QVector<double> weights() const;

    // Replaces every row (the rows as loaded); each gets a new id.
    void reset(const QVector<FpRow>& rows);
    // A row at the end; returns its id.
    int add(const QString& title, int kind, int complexity, const QString& points);
    bool update(int id, const QString& title, int kind, int complexity, const QString& points);
    bool remove(int id);
    // Moves the row up (-1) or down (+1); false at either end, where nothing moves.
    bool move(int id, int offset);

signals:
    void changed();

private:
    int indexOf(int id) const;

    QVector<FpRow> m_rows;
    int m_lastId = 0;
};
