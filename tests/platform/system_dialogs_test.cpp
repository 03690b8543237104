#include "platform/system_dialogs.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <vector>
#include <thread>

namespace {

class SystemDialogs : public ::testing::Test {
protected:
    void TearDown() override { SetSystemDialogHooks({}); }
};

TEST_F(SystemDialogs, MessageBoxesAnswerThroughTheHookFromAnyThread)
{
    std::wstring seenText, seenCaption;
    UINT seenType = 0;
    SystemDialogHooks hooks;
    hooks.messageBox = [&](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
        seenText = text;
        seenCaption = caption;
        seenType = type;
        return IDNO;
    };
    SetSystemDialogHooks(hooks);
    int answer = 0;
    std::thread worker([&] { answer = ShowMessageBox(nullptr, L"确定吗?", L"软件安装", MB_YESNO | MB_ICONQUESTION); });
    worker.join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seenText, L"确定吗?");
    EXPECT_EQ(seenCaption, L"软件安装");
    EXPECT_EQ(seenType, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(SystemDialogs, FolderBrowserAndSaveDialogAnswerThroughTheHooks)
{
    SystemDialogHooks hooks;
    hooks.browseForFolder = [](HWND, const std::wstring& title,
                               const std::wstring& start) -> std::optional<std::wstring> {
        if (title == L"cancel")
            return std::nullopt;
        return start + L"Packages";
    };
    hooks.saveFileName = [](HWND, const std::wstring& proposed, const std::wstring&) -> std::optional<std::wstring> {
        return L"E:\\" + proposed;
    };
    SetSystemDialogHooks(hooks);
    EXPECT_EQ(BrowseForFolder(nullptr, L"cancel", L"D:\\"), std::nullopt);
    EXPECT_EQ(BrowseForFolder(nullptr, L"choose", L"D:\\"), std::optional<std::wstring>(L"D:\\Packages"));
    EXPECT_EQ(AskSaveFileName(nullptr, L"tool.exe", std::wstring(L"所有文件(*.*)\0*.*\0", 14)),
              std::optional<std::wstring>(L"E:\\tool.exe"));
}

// Types the last of the texts (lp: a vector of them) into a visible file
// dialog of the thread and presses OK.
BOOL CALLBACK TypeIntoFileDialog(HWND hWnd, LPARAM lp)
{
    auto& typing = *reinterpret_cast<std::vector<std::wstring>*>(lp);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (std::wstring(szClass) != L"#32770" || !::IsWindowVisible(hWnd))
        return TRUE;
    for (int id : {cmb13, edt1})
        ::SetDlgItemTextW(hWnd, id, typing.back().c_str());
    typing.pop_back();
    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

TEST_F(SystemDialogs, SaveDialogLeavesTheCurrentFolderWhereItWas)
{
    // The real dialog. The user goes into another folder (its path typed,
    // then Enter) and saves there (the name typed, then Enter).
    testing_support::TempDir dir;
    const std::wstring work = dir / L"Work";
    const std::wstring other = dir / L"Other";
    ::CreateDirectoryW(work.c_str(), nullptr);
    ::CreateDirectoryW(other.c_str(), nullptr);
    wchar_t szBefore[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szBefore);
    ASSERT_TRUE(::SetCurrentDirectoryW(work.c_str()));

    static std::vector<std::wstring> s_typing;
    s_typing = {L"tool.exe", other};
    const DWORD dialogThread = ::GetCurrentThreadId();
    std::thread user([&] {
        for (int tries = 0; tries < 300 && !s_typing.empty(); ++tries) {
            ::Sleep(100);
            ::EnumThreadWindows(dialogThread, &TypeIntoFileDialog, reinterpret_cast<LPARAM>(&s_typing));
        }
    });
    const auto chosen = AskSaveFileName(nullptr, L"tool.exe", std::wstring(L"所有文件(*.*)\0*.*\0", 14));
    user.join();
    wchar_t szAfter[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szAfter);
    ::SetCurrentDirectoryW(szBefore);
    EXPECT_EQ(chosen, std::optional<std::wstring>(other + L"\\tool.exe"));
    EXPECT_EQ(szAfter, work);
}

} // namespace
