// The real main window, opened modally on a catalogue the test writes; the
// test's own steps run inside the window's modal loop once it shows.
#pragma once

#include "catalogue/catalogue.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace main_window_test {

class TestDlg : public CQuillsetDlg {
public:
    using CQuillsetDlg::m_btnHelp;
    using CQuillsetDlg::m_editSearch;
    using CQuillsetDlg::m_stcCount;
    using CQuillsetDlg::m_btnInstall;
    using CQuillsetDlg::m_btnSave;
    using CQuillsetDlg::m_imgCheck;
    using CQuillsetDlg::Scale;
    using CQuillsetDlg::m_btnSelectAll;
    using CQuillsetDlg::m_listCategories;
    using CQuillsetDlg::m_nCurList;
    using CQuillsetDlg::m_nPaneOverflow;
    using CQuillsetDlg::m_imgEntries;
    using CQuillsetDlg::m_pEntryLists;
    using CQuillsetDlg::m_rcList;

    std::function<void(TestDlg&)> script;
    // Runs the script as soon as the window shows, while it still reads
    // icons, and closes it then.
    bool bCloseAtOnce = false;
    // The window rectangle when the test's steps began.
    RECT rcShown{};

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class MainWindow : public ::testing::Test {
protected:
    // A test that answers through the dialog seam, reads details through
    // its own reader or logs the demo installer's runs leaves none behind.
    void TearDown() override;

    // Writes the catalogue (UTF-16 unless bytes are given) beside the
    // program's place in m_disc.
    void WriteCatalogue(const std::wstring& text);
    void WriteCatalogueBytes(const std::string& bytes);
    // Opens the window on the catalogue, runs the steps once it shows and
    // every icon and size is in place (or at once, bCloseAtOnce), then
    // closes it through its close box.
    void Open(const std::function<void(TestDlg&)>& steps, bool bCloseAtOnce = false);

    // Texts of a column, check marks and row kinds of a list.
    static std::vector<std::wstring> Texts(const CListEx& list, int nCol);
    static std::vector<int> Checks(const CListEx& list);
    // A click of the left button at a point of a list, the pointer moved
    // there first.
    static void ClickAt(CListEx& list, int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP);
    // A click on a row's check box, and on a row's name.
    static void ClickCheck(CListEx& list, int nRow);
    static void ClickRow(CListEx& list, int nRow);

    testing_support::TempDir m_disc;
    CatalogueSettings m_settings;
};

// The pixels an image of an image list draws.
std::vector<COLORREF> ImagePixels(HIMAGELIST hList, int nImage);
// The pixels of an icon drawn through an image list like the window's.
std::vector<COLORREF> IconPixels(HICON hIcon);

} // namespace main_window_test
