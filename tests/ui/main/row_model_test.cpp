// The row model: which entry each row of each list shows, and back, for
// catalogues with categories without entries at the start, between others
// and at the end. No window is needed.
#include "ui/main/row_model.h"

#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* what;
    std::vector<int> counts;
    // The all-software list row by row: an entry number, or -category for a
    // header row.
    std::vector<int> allRows;
};

const Case kCases[] = {
    {"two categories", {3, 2}, {-1, 0, 1, 2, -2, 3, 4}},
    {"empty categories around and between", {0, 3, 0, 0, 2, 0}, {-2, 0, 1, 2, -5, 3, 4}},
    {"no categories", {}, {}},
    {"only an empty category", {0}, {}},
    {"one entry each, one empty", {1, 0, 1}, {-1, 0, -3, 1}},
    {"a negative count", {-4, 1}, {-2, 0}},
};

TEST(RowModel, EveryRowOfEveryListBothWays)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const CRowModel model(c.counts);
        ASSERT_EQ(model.Lists(), static_cast<int>(c.counts.size()) + 1);
        ASSERT_EQ(model.Rows(0), static_cast<int>(c.allRows.size()));
        int nEntries = 0;
        for (size_t row = 0; row < c.allRows.size(); ++row) {
            const int value = c.allRows[row];
            const int r = static_cast<int>(row);
            EXPECT_EQ(model.HeaderCategory(r), value < 0 ? -value : 0) << row;
            EXPECT_EQ(model.EntryOfRow(0, r), value < 0 ? -1 : value) << row;
            if (value >= 0) {
                EXPECT_EQ(model.AllRow(value), r);
                ++nEntries;
            }
        }
        EXPECT_EQ(model.Entries(), nEntries);
        EXPECT_EQ(model.Count(0), nEntries);

        // Each category list shows its entries alone, in order.
        int nEntry = 0;
        for (int j = 1; j < model.Lists(); ++j) {
            const int n = std::max(c.counts[static_cast<size_t>(j - 1)], 0);
            EXPECT_EQ(model.Count(j), n) << j;
            EXPECT_EQ(model.Rows(j), n) << j;
            for (int r = 0; r < n; ++r, ++nEntry) {
                EXPECT_EQ(model.EntryOfRow(j, r), nEntry);
                EXPECT_EQ(model.PlaceOf(nEntry), (CRowModel::Place{j, r}));
            }
            EXPECT_EQ(model.EntryOfRow(j, n), -1) << "past the end of list " << j;
        }

        // Rows, lists and entries that do not exist.
        for (int list : {-1, model.Lists()})
            EXPECT_EQ(model.Rows(list), 0);
        EXPECT_EQ(model.EntryOfRow(0, -1), -1);
        EXPECT_EQ(model.EntryOfRow(0, model.Rows(0)), -1);
        EXPECT_EQ(model.EntryOfRow(model.Lists(), 0), -1);
        for (int entry : {-1, model.Entries()}) {
            EXPECT_EQ(model.AllRow(entry), -1);
            EXPECT_EQ(model.PlaceOf(entry), CRowModel::Place{});
        }
    }
}

// The all-software list showing some entries: 甲 with entries 0..2, 乙 with
// 3 and 4; each row on show as an entry or -category, and as a row of the
// whole list.
TEST(RowModel, ShowingSomeEntriesKeepsTheirHeadersAndMapsBothWays)
{
    struct Shown {
        const char* what;
        std::vector<int> entries;
        std::vector<int> rows;
        std::vector<int> wholeRows;
    };
    const Shown cases[] = {
        {"one of each category", {1, 3}, {-1, 1, -2, 3}, {0, 2, 4, 5}},
        {"the last category alone", {4}, {-2, 4}, {4, 6}},
        {"none", {}, {}, {}},
        {"entries that do not exist", {-1, 5, 9}, {}, {}},
        {"every entry", {0, 1, 2, 3, 4}, {-1, 0, 1, 2, -2, 3, 4}, {0, 1, 2, 3, 4, 5, 6}},
    };
    CRowModel model({3, 2});
    for (const Shown& c : cases) {
        SCOPED_TRACE(c.what);
        model.ShowOnly(c.entries);
        EXPECT_TRUE(model.ShowsSome());
        ASSERT_EQ(model.Rows(0), static_cast<int>(c.rows.size()));
        EXPECT_EQ(model.ShownRows(), c.wholeRows);
        EXPECT_EQ(model.Count(0), 5) << "the pane still counts every entry";
        for (int r = 0; r < model.Rows(0); ++r) {
            const int value = c.rows[static_cast<size_t>(r)];
            EXPECT_EQ(model.EntryOfRow(0, r), value < 0 ? -1 : value) << r;
            EXPECT_EQ(model.HeaderCategory(r), value < 0 ? -value : 0) << r;
        }
        for (int nEntry = 0; nEntry < 5; ++nEntry) {
            const auto at = std::find(c.rows.begin(), c.rows.end(), nEntry);
            EXPECT_EQ(model.AllRow(nEntry), at == c.rows.end() ? -1 : static_cast<int>(at - c.rows.begin()))
                << nEntry;
        }
        // The category lists are untouched.
        EXPECT_EQ(model.Rows(2), 2);
        EXPECT_EQ(model.EntryOfRow(2, 1), 4);
    }
    model.ShowAll();
    EXPECT_FALSE(model.ShowsSome());
    EXPECT_EQ(model.Rows(0), 7);
    EXPECT_EQ(model.AllRow(4), 6);
}

TEST(RowModel, CountsTheCatalogueUpToItsSentinels)
{
    SoftwareEntry a1, a2, c1;
    auto categories = std::make_unique<SoftwareCategory[]>(4);
    categories[0].Name = L"A";
    categories[0].Entries = std::make_unique<SoftwareEntry*[]>(3);
    categories[0].Entries[0] = &a1;
    categories[0].Entries[1] = &a2;
    categories[1].Name = L"B";
    categories[2].Name = L"C";
    categories[2].Entries = std::make_unique<SoftwareEntry*[]>(2);
    categories[2].Entries[0] = &c1;

    const CRowModel model = CRowModel::OfCatalogue(categories.get());
    EXPECT_EQ(model.Lists(), 4);
    EXPECT_EQ(model.Count(1), 2);
    EXPECT_EQ(model.Count(2), 0);
    EXPECT_EQ(model.Count(3), 1);
    EXPECT_EQ(model.PlaceOf(2), (CRowModel::Place{3, 0}));
    EXPECT_EQ(CRowModel::OfCatalogue(nullptr).Lists(), 1);
}

} // namespace
