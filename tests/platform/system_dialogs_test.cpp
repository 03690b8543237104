#include "platform/system_dialogs.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <atomic>
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
    hooks.browseForFolder = [](HWND, const std::wstring& title) -> std::optional<std::wstring> {
        if (title == L"cancel")
            return std::nullopt;
        return std::wstring(L"D:\\Packages");
    };
    hooks.saveFileName = [](HWND, const std::wstring& proposed, const std::wstring&) -> std::optional<std::wstring> {
        return L"E:\\" + proposed;
    };
    SetSystemDialogHooks(hooks);
    EXPECT_EQ(BrowseForFolder(nullptr, L"cancel"), std::nullopt);
    EXPECT_EQ(BrowseForFolder(nullptr, L"choose"), std::optional<std::wstring>(L"D:\\Packages"));
    EXPECT_EQ(AskSaveFileName(nullptr, L"tool.exe", std::wstring(L"所有文件(*.*)\0*.*\0", 14)),
              std::optional<std::wstring>(L"E:\\tool.exe"));
}

std::wstring CurrentFolder()
{
    wchar_t szFolder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szFolder);
    return szFolder;
}

TEST_F(SystemDialogs, SaveDialogLeavesTheCurrentFolderWhereItWas)
{
    // The real dialog: a file in another folder is typed in and accepted.
    testing_support::TempDir dir;
    const std::wstring work = dir / L"Work";
    const std::wstring other = dir / L"Other";
    ::CreateDirectoryW(work.c_str(), nullptr);
    ::CreateDirectoryW(other.c_str(), nullptr);
    const std::wstring before = CurrentFolder();
    ASSERT_TRUE(::SetCurrentDirectoryW(work.c_str()));

    // The user, on another thread: finds the dialog, goes into the other
    // folder (its path typed, then Enter), then types the name and presses
    // Enter again.
    struct Answer {
        std::vector<std::wstring> typed;
        size_t nGiven = 0;
    } answer{{other, L"tool.exe"}};
    const DWORD dialogThread = ::GetCurrentThreadId();
    std::thread user([&] {
        for (int tries = 0; tries < 300 && answer.nGiven < answer.typed.size(); ++tries) {
            ::Sleep(100);
            ::EnumThreadWindows(
                dialogThread,
                [](HWND hWnd, LPARAM lp) -> BOOL {
                    wchar_t szClass[16] = {};
                    ::GetClassNameW(hWnd, szClass, 16);
                    if (std::wstring(szClass) != L"#32770" || !::IsWindowVisible(hWnd))
                        return TRUE;
                    auto* pAnswer = reinterpret_cast<Answer*>(lp);
                    const std::wstring& text = pAnswer->typed[pAnswer->nGiven++];
                    for (int id : {cmb13, edt1})
                        ::SendDlgItemMessageW(hWnd, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&answer));
        }
    });
    const auto chosen = AskSaveFileName(nullptr, L"tool.exe", std::wstring(L"所有文件(*.*)\0*.*\0", 14));
    user.join();
    const std::wstring after = CurrentFolder();
    ::SetCurrentDirectoryW(before.c_str());

    ASSERT_EQ(answer.nGiven, answer.typed.size());
    EXPECT_EQ(chosen, std::optional<std::wstring>(other + L"\\tool.exe"));
    EXPECT_EQ(after, work);
}

} // namespace
