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
