#include "function/fp_rows.h"

#include "convert/conversions.h"

const FpRow* FpRowList::find(int id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_rows[index];
}

bool FpRowList::titleFree(const QString& title, int except) const
{
    for (const FpRow& row : m_rows) {
        if (row.id != except && row.title == title) {
            return false;
        }
    }
    return true;
}

QVector<double> FpRowList::weights() const
{
    QVector<double> weights;
    for (const FpRow& row : m_rows) {
        weights.append(NumberOrZero(row.points));
    }
    return weights;
}

void FpRowList::reset(const QVector<FpRow>& rows)
{
    m_rows = rows;
    for (FpRow& row : m_rows) {
        row.id = ++m_lastId;
    }
    emit changed();
}

int FpRowList::add(const QString& title, int kind, int complexity, const QString& points)
{
    m_rows.append({++m_lastId, title, kind, complexity, points});
    emit changed();
    return m_lastId;
}

bool FpRowList::update(int id, const QString& title, int kind, int complexity, const QString& points)
{
    const int index = indexOf(id);
    if (index < 0) {
        return false;
    }
    m_rows[index] = {id, title, kind, complexity, points};
    emit changed();
    return true;
}

bool FpRowList::remove(int id)
{
    const int index = indexOf(id);
    if (index < 0) {
        return false;
    }
    m_rows.remove(index);
    emit changed();
    return true;
}

bool FpRowList::move(int id, int offset)
{
    const int from = indexOf(id);
    const int to = from + offset;
    if (from < 0 || to < 0 || to >= m_rows.size()) {
        return false;
    }
    m_rows.move(from, to);
    emit changed();
    return true;
}

int FpRowList::indexOf(int id) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id) {
            return i;
        }
    }
    return -1;
}
