// The real program on a copy of the demo disc, saved from its window with
// real clicks through the confirmation and the report: the folder it saves
// into then works as a disc of the entries that were checked.
#include "catalogue/ini_profile.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

TEST(SaveWindow, TheCheckedEntriesSavedFromTheWindowMakeAFolderThatWorksAsADisc)
{
    TempDir disc;
    TempDir out;
    ASSERT_TRUE(CopyFolderTree(ProgramFolder() + L"demo-disc", disc.Path()));
    // The catalogue names the folder to save into: no folder browser opens.
    const std::wstring saved = out / L"窗口 保存";
    ASSERT_TRUE(::CreateDirectoryW(saved.c_str(), nullptr));
    std::wstring text = DecodeProfileBytes(ReadFile(disc / L"Quillset.INI"));
    const size_t at = text.find(L"SavePath=");
    ASSERT_NE(at, std::wstring::npos);
    text.insert(at + 9, saved);
    WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(text));
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);

    {
        RunningProgram program(disc / L"Quillset.exe", out.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        ASSERT_TRUE(ClickMiddle(::GetDlgItem(hMain, CQuillsetDlg::kIdSave)));
        const HWND hQuestion = WaitForOwnedWindow(hMain, L"保存安装包");
        ASSERT_NE(hQuestion, nullptr);
        const std::wstring question = MessageBoxText(hQuestion);
        EXPECT_EQ(question.find(L"您确定要开始保存如下软件么?\n\n极速压缩 | "), 0u) << question;
        EXPECT_NE(question.find(L"\n网页浏览器 | "), std::wstring::npos) << question;
        EXPECT_NE(question.find(L"\n保存路径: " + saved), std::wstring::npos) << question;
        ASSERT_TRUE(Answer(hQuestion, IDYES));

        // The report, once the batch has ended, owned by the hidden window.
        HWND hReport = nullptr;
        std::wstring report;
        PumpUntil(
            [&] {
                hReport = FindOwnedWindow(hMain, L"保存安装包");
                report = hReport ? MessageBoxText(hReport) : std::wstring();
                return report.starts_with(L"所有项目保存完毕!");
            },
            std::chrono::seconds(60));
        ASSERT_TRUE(report.starts_with(L"所有项目保存完毕!")) << report;
        EXPECT_NE(report.find(L"\n目录文件已写入: " + saved + L"\\Quillset.INI (新增 2 款软件)\n"), std::wstring::npos)
            << report;
        ASSERT_TRUE(Answer(hReport, IDOK));
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }

    // The two checked entries, where the disc has them, with the catalogue
    // and the program; the saved copy installs them from there.
    const std::string installer = ReadFile(ProgramFolder() + L"demo_installer.exe");
    EXPECT_TRUE(ReadFile(saved + L"\\setup\\Zip Tool\\zip setup.exe") == installer);
    EXPECT_TRUE(ReadFile(saved + L"\\setup\\browser.exe") == installer);
    EXPECT_TRUE(ReadFile(saved + L"\\Quillset.exe") == ReadFile(disc / L"Quillset.exe"));
    const CIniProfile profile(saved + L"\\Quillset.INI");
    EXPECT_EQ(profile.GetString(L"系统工具.List", L"List1", L""), L"极速压缩");
    EXPECT_EQ(profile.GetString(L"网络通信.List", L"List1", L""), L"网页浏览器");
    EXPECT_EQ(profile.GetString(L"Config", L"SavePath", L"(none)"), L"(none)");
    {
        RunningProgram copy(saved + L"\\Quillset.exe", out.Path(), L"/auto /quiet");
        DWORD exitCode = 1;
        EXPECT_TRUE(copy.WaitForExit(60000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_EQ(SortedLines(saved + L"\\setup\\Zip Tool\\demo-install.log"),
              std::vector<std::wstring>{L"zip setup.exe|/S /D=C:\\Program Files\\QuickZip"});
    EXPECT_EQ(SortedLines(saved + L"\\setup\\demo-install.log"), std::vector<std::wstring>{L"browser.exe|/S"});
}

} // namespace
