// Which catalogue entry each row of the main window's lists shows. The
// catalogue is turned into this once; from then on every question is
// answered in constant time, both ways: the entry behind a row of a list,
// and the rows that show an entry.
//
// Lists are numbered as the window numbers them: 0 is the all-software list,
// j (1-based) the list of category j. Entries are numbered in catalogue
// order over all categories. The all-software list shows each category that
// has entries as a header row followed by its entries; a category list shows
// its entries alone.
#pragma once

#include <vector>

struct SoftwareCategory;

class CRowModel {
public:
    // Where an entry lives: its category's list and its index there.
    struct Place {
        int category = 0;
        int index = 0;
        bool operator==(const Place&) const = default;
    };

    CRowModel() = default;
    // entryCounts[j] is the number of entries of category j + 1; a negative
    // count counts as none.
    explicit CRowModel(const std::vector<int>& entryCounts);
    // The categories up to the sentinel; null is an empty catalogue.
    static CRowModel OfCatalogue(const SoftwareCategory* pCategories);

    // The number of lists (categories + 1) and of entries.
    int Lists() const noexcept { return static_cast<int>(m_arrFirstEntry.size()) - 1; }
    int Entries() const noexcept { return static_cast<int>(m_arrPlaces.size()); }
    // Rows of a list; 0 for a list that does not exist.
    int Rows(int nList) const noexcept;
    // The entries a list shows, as the pane counts them: all of them for
    // list 0.
    int Count(int nList) const noexcept;

    // The entry row nRow of list nList shows; -1 for a header row and for a
    // row the list does not have.
    int EntryOfRow(int nList, int nRow) const noexcept;
    // The category whose header row nRow of the all-software list is; 0
    // when it is no header row.
    int HeaderCategory(int nRow) const noexcept;

    // The entry's place (its category's list and its row there) and its row
    // in the all-software list; a default place and -1 for an entry that
    // does not exist.
    Place PlaceOf(int nEntry) const noexcept;
    int AllRow(int nEntry) const noexcept;
    // The first entry list nList shows: 0 for the all-software list, the
    // first of category nList (1-based) for a category list.
    int FirstEntry(int nList) const noexcept;

    // The all-software list may show some entries only: ShowOnly shows the
    // given entries (in catalogue order), each category that has one of them
    // as its header row above them; ShowAll every entry again. The rows of
    // the all-software list above are its rows on show, AllRow -1 for an
    // entry that is not; Count(0) still counts every entry.
    void ShowOnly(const std::vector<int>& entries);
    void ShowAll();
    bool ShowsSome() const noexcept { return m_bSome; }
    // The rows on show, as rows of the whole all-software list.
    const std::vector<int>& ShownRows() const noexcept { return m_arrShownRows; }

private:
    bool HasEntry(int nEntry) const noexcept { return nEntry >= 0 && nEntry < Entries(); }

    // Per list: the first entry it shows, one past the last at the end.
    std::vector<int> m_arrFirstEntry{0, 0};
    // Per entry: its place and its row in the all-software list.
    std::vector<Place> m_arrPlaces;
    std::vector<int> m_arrAllRow;
    // Per row of the all-software list on show: the entry, or -category for
    // a header row; the same for the whole list; and the rows on show as
    // rows of the whole list.
    std::vector<int> m_arrAllRows;
    std::vector<int> m_arrAllRowsWhole;
    std::vector<int> m_arrShownRows;
    bool m_bSome = false;
    // Makes m_arrAllRow and m_arrAllRows follow m_arrShownRows.
    void IndexShownRows();
};
