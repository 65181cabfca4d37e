#pragma once

#include <QVector>

// Cells of a form, NumColumns per row, in one flat vector (row r, column c at r * NumColumns + c).
// Beside its own cells it can look through the cell vectors of other forms: while the group view
// is on, row indices run on past the own rows into each group storage in turn. The group storages
// are not owned; their cells may be written through the view.
template<typename T, int NumColumns>
class FixedColumnMatrix
{
public:
    using Storage = QVector<T>;

    int rowCount() const
    {
        qsizetype cells = m_storage.size();
        if (m_groupView) {
            for (const Storage* other : m_group)
                cells += other->size();
        }
        return int(cells / NumColumns);
    }

    T& operator()(int row, int column) { return cell(row * NumColumns + column); }
    const T& operator()(int row, int column) const
    {
        return const_cast<FixedColumnMatrix*>(this)->cell(row * NumColumns + column);
    }

    void insertRow(int row, const T& value)
    {
        for (int c = 0; c < NumColumns; ++c)
            m_storage.insert(qsizetype(row) * NumColumns, value);
    }

    // The own cells only.
    Storage& storage() { return m_storage; }
    const Storage& storage() const { return m_storage; }

    void clear() { m_storage.clear(); }

    // Position of `value` among the own cells; false, and both -1, when absent.
    bool find(const T& value, int* row, int* column) const
    {
        const qsizetype index = value ? m_storage.indexOf(value) : -1;
        *row = index < 0 ? -1 : int(index / NumColumns);
        *column = index < 0 ? -1 : int(index % NumColumns);
        return index >= 0;
    }

    void setGroup(const QVector<Storage*>& group) { m_group = group; }
    void setGroupViewEnabled(bool on) { m_groupView = on; }
    bool groupViewEnabled() const { return m_groupView; }

private:
    T& cell(qsizetype index)
    {
        if (!m_groupView || index < m_storage.size())
            return m_storage[index];
        index -= m_storage.size();
        for (Storage* other : m_group) {
            if (index < other->size())
                return (*other)[index];
            index -= other->size();
        }
        return m_storage[index]; // out of range: let QVector assert
    }

    Storage m_storage;
    QVector<Storage*> m_group;
    bool m_groupView = false;
};
