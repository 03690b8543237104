#include "ui/main/row_model.h"

#include "catalogue/catalogue.h"

#include <algorithm>

CRowModel::CRowModel(const std::vector<int>& entryCounts)
{
    m_arrFirstEntry.assign(1, 0);
    for (size_t c = 0; c < entryCounts.size(); ++c) {
        const int nCategory = static_cast<int>(c) + 1;
        const int n = std::max(entryCounts[c], 0);
        m_arrFirstEntry.push_back(Entries());
        if (n == 0)
            continue;
        m_arrAllRows.push_back(-nCategory);
        for (int r = 0; r < n; ++r) {
            m_arrAllRow.push_back(static_cast<int>(m_arrAllRows.size()));
            m_arrAllRows.push_back(Entries());
            m_arrPlaces.push_back(Place{nCategory, r});
        }
    }
    m_arrFirstEntry.push_back(Entries());
    m_arrAllRowsWhole = m_arrAllRows;
    ShowAll();
}

CRowModel CRowModel::OfCatalogue(const SoftwareCategory* pCategories)
{
    std::vector<int> counts;
    for (int j = 0; pCategories && !pCategories[j].Name.empty(); ++j) {
        int n = 0;
        while (pCategories[j].Entries && pCategories[j].Entries[n])
            ++n;
        counts.push_back(n);
    }
    return CRowModel(counts);
}

int CRowModel::Rows(int nList) const noexcept
{
    if (nList == 0)
        return static_cast<int>(m_arrAllRows.size());
    return Count(nList);
}

int CRowModel::Count(int nList) const noexcept
{
    if (nList < 0 || nList >= Lists())
        return 0;
    if (nList == 0)
        return Entries();
    return FirstEntry(nList + 1) - FirstEntry(nList);
}

int CRowModel::FirstEntry(int nList) const noexcept
{
    if (nList < 0 || static_cast<size_t>(nList) >= m_arrFirstEntry.size())
        return Entries();
    return m_arrFirstEntry[static_cast<size_t>(nList)];
}

int CRowModel::EntryOfRow(int nList, int nRow) const noexcept
{
    if (nRow < 0 || nRow >= Rows(nList))
        return -1;
    if (nList == 0)
        return std::max(m_arrAllRows[static_cast<size_t>(nRow)], -1);
    return FirstEntry(nList) + nRow;
}

int CRowModel::HeaderCategory(int nRow) const noexcept
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_arrAllRows.size())
        return 0;
    const int value = m_arrAllRows[static_cast<size_t>(nRow)];
    return value < 0 ? -value : 0;
}

CRowModel::Place CRowModel::PlaceOf(int nEntry) const noexcept
{
    return HasEntry(nEntry) ? m_arrPlaces[static_cast<size_t>(nEntry)] : Place{};
}

int CRowModel::AllRow(int nEntry) const noexcept
{
    return HasEntry(nEntry) ? m_arrAllRow[static_cast<size_t>(nEntry)] : -1;
}

void CRowModel::ShowOnly(const std::vector<int>& entries)
{
    std::vector<bool> shown(m_arrPlaces.size(), false);
    for (const int nEntry : entries) {
        if (HasEntry(nEntry))
            shown[static_cast<size_t>(nEntry)] = true;
    }
    m_arrShownRows.clear();
    int nHeader = -1;
    for (size_t r = 0; r < m_arrAllRowsWhole.size(); ++r) {
        const int value = m_arrAllRowsWhole[r];
        if (value < 0) {
            nHeader = static_cast<int>(r);
        } else if (shown[static_cast<size_t>(value)]) {
            // A category's header row goes above its first entry on show.
            if (nHeader >= 0)
                m_arrShownRows.push_back(nHeader);
            nHeader = -1;
            m_arrShownRows.push_back(static_cast<int>(r));
        }
    }
    m_bSome = true;
    IndexShownRows();
}

void CRowModel::ShowAll()
{
    m_arrShownRows.resize(m_arrAllRowsWhole.size());
    for (size_t r = 0; r < m_arrShownRows.size(); ++r)
        m_arrShownRows[r] = static_cast<int>(r);
    m_bSome = false;
    IndexShownRows();
}

void CRowModel::IndexShownRows()
{
    m_arrAllRows.clear();
    m_arrAllRow.assign(m_arrPlaces.size(), -1);
    for (const int r : m_arrShownRows) {
        const int value = m_arrAllRowsWhole[static_cast<size_t>(r)];
        if (value >= 0)
            m_arrAllRow[static_cast<size_t>(value)] = static_cast<int>(m_arrAllRows.size());
        m_arrAllRows.push_back(value);
    }
}
