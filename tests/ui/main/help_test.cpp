// The help of the real program on the demo disc: reached from the help
// button's menu and by F1, it tells the command line as /? does and the
// catalogue's keys, and the About item stays beside it.
#include "res/resource.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/about/HelpDlg.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

// The whole text of a control of another process, asked of the control
// itself (GetWindowText gives only the text it was created with).
std::wstring WholeText(HWND hWnd)
{
    std::wstring text(static_cast<size_t>(::SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

enum class Way { kMenuKey, kMenuClickedAbout, kF1 };

struct HelpCase {
    const char* pszName;
    Way way;
};

TEST(Help, TheHelpButtonAndF1OpenTheUsageAndTheCatalogueKeys)
{
    const HelpCase cases[] = {
        {"help menu, its key", Way::kMenuKey},
        {"help menu, About is still there", Way::kMenuClickedAbout},
        {"F1 in the window", Way::kF1},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        RunningProgram program(ProgramFolder() + L"demo-disc\\Quillset.exe", ProgramFolder() + L"demo-disc");
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        if (c.way == Way::kF1) {
            ASSERT_TRUE(PressKeyIn(hMain, VK_F1));
        } else {
            ASSERT_TRUE(ClickMiddle(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdHelp))));
            ASSERT_NE(WaitForMenu(program.ProcessId()), nullptr);
            PressKey(c.way == Way::kMenuKey ? 'H' : 'A');
        }
        if (c.way == Way::kMenuClickedAbout) {
            const HWND hAbout = WaitForOwnedWindow(hMain, L"关于 Tovrin Quillset");
            ASSERT_NE(hAbout, nullptr);
            EXPECT_TRUE(PressKeyIn(hAbout, VK_ESCAPE));
            EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hAbout); }));
        } else {
            const HWND hHelp = WaitForOwnedWindow(hMain, L"使用帮助");
            ASSERT_NE(hHelp, nullptr);
            const std::wstring text = WholeText(::GetDlgItem(hHelp, static_cast<int>(CHelpDlg::kIdText)));
            // The usage as /? gives it, the keys of an entry and of the
            // whole disc, each line broken where the text breaks it.
            EXPECT_NE(text.find(L"/timeout:<秒>"), std::wstring::npos);
            EXPECT_NE(text.find(L"1618 本机已有另一个批处理在运行"), std::wstring::npos);
            EXPECT_NE(text.find(L"\r\nInstalledName="), std::wstring::npos);
            EXPECT_NE(text.find(L"\r\nAutoInstall="), std::wstring::npos);
            EXPECT_NE(text.find(L"\r\n[Config]"), std::wstring::npos);
            EXPECT_EQ(text.find(L"\r\r"), std::wstring::npos);
            // The close box, Esc, and 关闭 all close it; Esc here.
            EXPECT_TRUE(PressKeyIn(hHelp, VK_ESCAPE));
            EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hHelp); }));
        }
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(program.WaitForExit(10000, nullptr));
    }
}

} // namespace
