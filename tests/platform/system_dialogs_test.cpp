#include "platform/system_dialogs.h"

#include <gtest/gtest.h>

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

} // namespace
