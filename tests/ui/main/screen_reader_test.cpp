// What a screen reader is told of the real program on the demo disc, asked
// from another process as a screen reader asks: the names the system's
// accessibility objects give every control of the main window and of the
// About box, and the rows' texts of each list.
#include "platform/thread.h"
#include "res/resource.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testing_support;

// The name of a window's client object, as a screen reader reads it;
// "(none)" when the system has no object for it.
std::wstring AccessibleName(HWND hWnd)
{
    IAccessible* pAcc = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(hWnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&pAcc))) ||
        !pAcc)
        return L"(none)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result;
    if (SUCCEEDED(pAcc->get_accName(self, &name)) && name)
        result = name;
    ::SysFreeString(name);
    pAcc->Release();
    return result;
}

BOOL CALLBACK CollectChildName(HWND hWnd, LPARAM lp)
{
    reinterpret_cast<std::multiset<std::wstring>*>(lp)->insert(AccessibleName(hWnd));
    return TRUE;
}

using Texts = std::vector<std::wstring>;

TEST(ScreenReader, EveryControlAndRowOfTheDemoDiscHasASpokenName)
{
    const CComApartment apartment;
    RunningProgram program(ProgramFolder() + L"demo-disc\\Quillset.exe", ProgramFolder() + L"demo-disc");
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);

    // The buttons by their whole labels, whatever their images draw (the
    // demo installs automatically); the pane and the lists by what they list.
    const std::pair<UINT, std::wstring> controls[] = {
        {CQuillsetDlg::kIdPane, L"软件分类"},      {CQuillsetDlg::kIdSelectAll, L"全选(A)"},
        {CQuillsetDlg::kIdSave, L"保存(S)"},       {CQuillsetDlg::kIdInstall, L"自动安装(I)"},
        {CQuillsetDlg::kIdOptions, L"安装选项"},    {CQuillsetDlg::kIdHomepage, L"官方主页"},
        {CQuillsetDlg::kIdHelp, L"使用帮助"},       {CQuillsetDlg::kIdFirstList, L"全部软件"},
        {CQuillsetDlg::kIdFirstList + 1, L"系统工具"}, {CQuillsetDlg::kIdFirstList + 2, L"办公软件"},
        {CQuillsetDlg::kIdFirstList + 3, L"网络通信"}};
    for (const auto& [nID, name] : controls)
        EXPECT_EQ(AccessibleName(::GetDlgItem(hMain, static_cast<int>(nID))), name) << nID;

    // Each row speaks its entry's name; a header row its category and count.
    const Texts tools{L"极速压缩", L"磁盘清理专家", L"系统信息助手", L"驱动精灵演示版"};
    const Texts office{L"文字处理", L"表格计算", L"PDF 阅读器"};
    const Texts network{L"网页浏览器", L"即时通讯", L"下载工具"};
    Texts all{L"系统工具 (4款)"};
    all.insert(all.end(), tools.begin(), tools.end());
    all.push_back(L"办公软件 (3款)");
    all.insert(all.end(), office.begin(), office.end());
    all.push_back(L"网络通信 (3款)");
    all.insert(all.end(), network.begin(), network.end());
    const Texts lists[] = {all, tools, office, network};
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(ListRowTexts(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList) + j)), lists[j]) << j;
    // The size column says so of the installer the disc lacks; the others
    // give their size, the headers nothing.
    ASSERT_TRUE(PumpUntil([&] { return ::GetPropW(hMain, kDetailsLoadedProp) != nullptr; }));
    const Texts sizes = ListRowTexts(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList)), 1);
    ASSERT_EQ(sizes.size(), all.size());
    for (size_t row = 0; row < sizes.size(); ++row) {
        const bool bHeader = row == 0 || row == 5 || row == 9;
        EXPECT_TRUE(row == 4 ? sizes[row] == L"文件缺失" : bHeader ? sizes[row].empty() : sizes[row].ends_with(L" MB"))
            << row << ": " << platform_text::ToUtf8(sizes[row]);
    }
    EXPECT_EQ(ListRowTexts(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdPane))),
              (Texts{L"全部软件(10)", L"系统工具(4)", L"办公软件(3)", L"网络通信(3)"}));

    // The About box, chosen from the window menu: the credits and the maker's
    // picture are links named by whom they lead to, the close button by its label.
    ::PostMessageW(hMain, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND hAbout = WaitForOwnedWindow(hMain, L"关于 Tovrin Quillset");
    ASSERT_NE(hAbout, nullptr);
    std::multiset<std::wstring> names;
    ::EnumChildWindows(hAbout, &CollectChildName, reinterpret_cast<LPARAM>(&names));
    EXPECT_EQ(names, (std::multiset<std::wstring>{L"开发组", L"维护组", L"用户体验组", L"Tovrin Quillset 开发组",
                                                  L"关闭(C)"}));
    ::PostMessageW(hAbout, WM_CLOSE, 0, 0);
}

} // namespace
