// The three links of an entry row, clicked where the list draws them: in the
// all-software list and in a category list, on copies of the demo installer,
// with missing and broken installers and copies that cannot be made.
#include "tests/ui/main/main_window_fixture.h"

#include "batch/batch_texts.h"
#include "platform/system_dialogs.h"
#include "shell/safe_copy.h"
#include "tests/ui/main/link_points.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/row_actions.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <tuple>

namespace main_window_test {
namespace {

using namespace testing_support;
using namespace std::string_literals;

const wchar_t kCatalogue[] = LR"([Config]
SavePath=D:\安装包
[Type]
Sort1=甲类
Sort2=乙类
[甲类.List]
List1=压缩
List2=缺失
[乙类.List]
List1=坏包
List2=看图
[压缩]
WorkingDir=%CurrDir%
ManualInstall=soft\zip setup.exe
AutoInstall=soft\zip setup.exe /S /D=C:\Program Files\Zip
[缺失]
WorkingDir=%CurrDir%
ManualInstall=soft\gone.exe
AutoInstall=soft\gone.exe /S
[坏包]
WorkingDir=%CurrDir%
ManualInstall=soft\broken.exe
AutoInstall=soft\broken.exe /S
[看图]
WorkingDir=%CurrDir%
ManualInstall=soft\看图.exe
AutoInstall=soft\看图.exe /quiet
)";
const wchar_t kNotFound[] = L"文件没找到, 请检查安装文件路径!\n\n文件原始路径: ";
const std::wstring kRowFailed = L"安装失败, 请查看失败原因!\n\n";
const wchar_t kSaveFailed[] = L"文件保存失败, 请检查安装文件路径!\n\n文件原始路径: ";

struct Box {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
    bool operator==(const Box&) const = default;
};

// The boxes as shown, a row's report without the line naming its log (a
// file named by the time the batch started).
std::vector<Box> WithoutLogFile(std::vector<Box> boxes)
{
    for (Box& box : boxes) {
        if (const size_t at = box.text.find(L"\n日志文件: "); at != std::wstring::npos)
            box.text.erase(at);
    }
    return boxes;
}

// Whether the boxes shown are those expected, each text beginning with the
// one expected (the system's words for an error follow it).
bool BeginAsExpected(const std::vector<Box>& shown, const std::vector<Box>& expected)
{
    if (shown.size() != expected.size())
        return false;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].caption != expected[i].caption || shown[i].type != expected[i].type ||
            shown[i].text.rfind(expected[i].text, 0) != 0)
            return false;
    }
    return true;
}

class RowActions : public MainWindow {
protected:
    void SetUp() override
    {
        WriteCatalogue(kCatalogue);
        for (const wchar_t* name : {L"zip setup.exe", L"看图.exe"})
            WriteFile(m_disc / (L"soft\\"s + name), ReadFile(ProgramFolder() + L"demo_installer.exe"));
        WriteFile(m_disc / L"soft\\broken.exe", "no program");
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", m_log.c_str());
        SystemDialogHooks hooks;
        hooks.messageBox = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
            m_boxes.push_back(Box{text, caption, type});
            return IDOK;
        };
        hooks.saveFileName = [this](HWND, const std::wstring& proposed, const std::wstring& filter) {
            m_asked.push_back(proposed + L"|" + filter);
            return m_answer;
        };
        SetSystemDialogHooks(hooks);
    }
    static void Show(TestDlg& dlg, int nList)
    {
        ClickRow(dlg.m_listCategories, nList);
        ASSERT_EQ(dlg.m_nCurList, nList);
    }
    static void ClickLink(CListEx& list, int nRow, int nLink)
    {
        // Scrolled into view first, as a technician would.
        list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
        RECT label{};
        ASSERT_TRUE(list.GetItemRect(nRow, &label, LVIR_LABEL));
        const POINT pt = LinkPoints(reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)), label,
                                    list.GetColumnWidth(1), list.GetColumnWidth(2))[static_cast<size_t>(nLink)];
        ClickAt(list, pt.x, pt.y);
    }

    TempDir m_out;
    const std::wstring m_log = m_out / L"install.log";
    std::vector<Box> m_boxes;
    std::vector<std::wstring> m_asked;
    std::optional<std::wstring> m_answer;
};

TEST_F(RowActions, EachLinkActsOnTheEntryBehindTheRowInEitherList)
{
    struct Place {
        int nList;
        int nRow;
        std::wstring name;
        std::wstring exe;
        std::wstring switches;
    };
    const Place places[] = {{0, 1, L"压缩", L"zip setup.exe", L"/S /D=C:\\Program Files\\Zip"},
                            {1, 0, L"压缩", L"zip setup.exe", L"/S /D=C:\\Program Files\\Zip"},
                            {0, 5, L"看图", L"看图.exe", L"/quiet"},
                            {2, 1, L"看图", L"看图.exe", L"/quiet"}};
    Open([&](TestDlg& dlg) {
        std::vector<std::wstring> logged;
        for (const Place& p : places) {
            Show(dlg, p.nList);
            m_boxes.clear();
            m_asked.clear();
            m_answer = m_out / (std::to_wstring(logged.size()) + L" copy.exe");
            for (int link : {1, 2, 3})
                ClickLink(dlg.m_pEntryLists[static_cast<size_t>(p.nList)], p.nRow, link);
            // Interactive without parameters, unattended with exactly its switches.
            logged.insert(logged.end(), {p.exe + L"|", p.exe + L"|" + p.switches});
            std::sort(logged.begin(), logged.end());
            PumpUntil([&] { return SortedLines(m_log) == logged; }, std::chrono::seconds(30));
            EXPECT_EQ(SortedLines(m_log), logged);
            // The catalogue's SavePath first, then the folder last saved to.
            const std::wstring folder = logged.size() == 2 ? L"D:\\安装包\\"s : m_out.Path() + L"\\";
            EXPECT_EQ(m_asked, (std::vector<std::wstring>{folder + p.exe + L"|所有文件(*.*)\0*.*\0"s}));
            // Each install is a batch of one that tells its result.
            EXPECT_EQ(WithoutLogFile(m_boxes),
                      (std::vector<Box>{{p.name + L" 安装完毕!\n", L"手动安装", MB_ICONINFORMATION},
                                        {p.name + L" 安装完毕!\n", L"自动安装", MB_ICONINFORMATION},
                                        {L"安装文件保存完毕!\n\n文件保存路径: " + *m_answer, L"保存安装包",
                                         MB_ICONINFORMATION}}));
            EXPECT_TRUE(ReadFile(*m_answer) == ReadFile(m_disc / (L"soft\\" + p.exe))) << "the copy's bytes";
        }
    });
}

TEST_F(RowActions, FailuresAreReportedAndClicksBesideTheLinksDoNothing)
{
    const std::wstring soft = m_disc / L"soft\\";
    const std::wstring zip = soft + L"zip setup.exe";
    const std::wstring nowhere = m_out / L"no folder\\zip.exe";
    struct Case {
        int nList;
        int nRow;
        int nLink;
        std::optional<std::wstring> answer;
        std::vector<Box> boxes;
        bool bAsked;
    };
    const Case cases[] = {
        {0, 2, 1, {}, {{kNotFound + soft + L"gone.exe", L"手动安装", MB_ICONEXCLAMATION}}, false},
        {1, 1, 2, {}, {{kNotFound + soft + L"gone.exe /S", L"自动安装", MB_ICONEXCLAMATION}}, false},
        {0, 2, 3, {}, {{kNotFound + soft + L"gone.exe", L"保存安装包", MB_ICONEXCLAMATION}}, false},
        {0, 4, 1, {}, {{kRowFailed + L"坏包 | " + soft + L"broken.exe (Windows 错误 ", L"手动安装", MB_ICONEXCLAMATION}},
         false},
        {2, 0, 2, {}, {{kRowFailed + L"坏包 | " + soft + L"broken.exe (Windows 错误 ", L"自动安装", MB_ICONEXCLAMATION}},
         false},
        {0, 1, 3, nowhere, {{kSaveFailed + zip + L"\n文件保存路径: " + nowhere, L"保存安装包", MB_ICONEXCLAMATION}}, true},
        {1, 0, 3, std::nullopt, {}, true},
        // The installer's own file, spelt otherwise: it stays whole.
        {0, 1, 3, soft + L".\\ZIP SETUP.EXE",
         {{kSaveFailed + zip + L"\n文件保存路径: " + soft + L".\\ZIP SETUP.EXE", L"保存安装包", MB_ICONEXCLAMATION}},
         true},
        // Column 2 of a header row, and beside the links.
        {0, 0, 1, {}, {}, false},
        {0, 1, 0, {}, {}, false},
    };
    Open([&](TestDlg& dlg) {
        for (const Case& c : cases) {
            Show(dlg, c.nList);
            m_boxes.clear();
            m_asked.clear();
            m_answer = c.answer;
            ClickLink(dlg.m_pEntryLists[static_cast<size_t>(c.nList)], c.nRow, c.nLink);
            EXPECT_TRUE(BeginAsExpected(m_boxes, c.boxes))
                << c.nList << "," << c.nRow << "," << c.nLink << ": " << m_boxes.size() << " boxes"
                << (m_boxes.empty() ? "" : ", the first: " + ToUtf8(m_boxes.front().text));
            EXPECT_EQ(m_asked.size(), c.bAsked ? 1u : 0u) << c.nList << "," << c.nRow << "," << c.nLink;
        }
        ::Sleep(1000);
    });
    EXPECT_TRUE(ReadFile(zip) == ReadFile(ProgramFolder() + L"demo_installer.exe")) << "the installer stays whole";
    EXPECT_EQ(ReadFile(m_log), "") << "nothing was started";
}

TEST_F(RowActions, AClickThatWaitedWhileARowsInstallRanStartsNothing)
{
    Open([&](TestDlg& dlg) {
        CListEx& list = dlg.m_pEntryLists[0];
        RECT label{};
        ASSERT_TRUE(list.GetItemRect(1, &label, LVIR_LABEL));
        const POINT pt = LinkPoints(reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)), label,
                                    list.GetColumnWidth(1), list.GetColumnWidth(2))[2];
        // Windows hands a click to the window it was given on, even when
        // the window hides before the click is taken: a second click on the
        // link waits in the queue while the first one's batch runs.
        const LPARAM lp = MAKELPARAM(pt.x, pt.y);
        ::PostMessageW(list.m_hWnd, WM_MOUSEMOVE, 0, lp);
        ::PostMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
        ::PostMessageW(list.m_hWnd, WM_LBUTTONUP, 0, lp);
        ClickLink(list, 1, 2);
        PumpMessages();
    });
    EXPECT_EQ(SortedLines(m_log), (std::vector<std::wstring>{L"zip setup.exe|/S /D=C:\\Program Files\\Zip"}));
    EXPECT_EQ(WithoutLogFile(m_boxes), (std::vector<Box>{{L"压缩 安装完毕!\n", L"自动安装", MB_ICONINFORMATION}}));
}

TEST_F(RowActions, ASaveCopiesTheFileFoundOrNothing)
{
    // While the technician chooses the target, another file is moved over
    // the installer that was found.
    const std::wstring zip = m_disc / L"soft\\zip setup.exe";
    const std::wstring target = m_out / L"zip copy.exe";
    SystemDialogHooks hooks;
    hooks.messageBox = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
        m_boxes.push_back(Box{text, caption, type});
        return IDOK;
    };
    hooks.saveFileName = [&](HWND, const std::wstring&, const std::wstring&) -> std::optional<std::wstring> {
        EXPECT_TRUE(::MoveFileExW((m_disc / L"soft\\broken.exe").c_str(), zip.c_str(), MOVEFILE_REPLACE_EXISTING));
        return target;
    };
    SetSystemDialogHooks(hooks);
    Open([&](TestDlg& dlg) { ClickLink(dlg.m_pEntryLists[0], 1, 3); });
    EXPECT_EQ(m_boxes, (std::vector<Box>{{kSaveFailed + zip + L"\n文件保存路径: " + target + L"\n\n" + kReplacedText,
                                          L"保存安装包", MB_ICONEXCLAMATION}}));
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was copied";
}

// The captions the windows of this thread are given while a row's save
// runs, each with whether the main window was on show at that moment.
std::vector<std::pair<std::wstring, bool>> g_saveCaptions;
HWND g_hMainWindow = nullptr;

LRESULT CALLBACK NoteSaveCaption(int nCode, WPARAM wp, LPARAM lp)
{
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (nCode == HC_ACTION && pMsg->message == WM_SETTEXT && pMsg->lParam) {
        const std::wstring text = reinterpret_cast<const wchar_t*>(pMsg->lParam);
        if (text.rfind(L"正在保存", 0) == 0)
            g_saveCaptions.emplace_back(text, ::IsWindowVisible(g_hMainWindow) != FALSE);
    }
    return ::CallNextHookEx(nullptr, nCode, wp, lp);
}

TEST_F(RowActions, ASaveRunsBehindTheProgressWindowWhileTheMainWindowIsHidden)
{
    const std::wstring zip = m_disc / L"soft\\zip setup.exe";
    m_answer = m_out / L"zip copy.exe";
    g_saveCaptions.clear();
    Open([&](TestDlg& dlg) {
        g_hMainWindow = dlg.m_hWnd;
        // Every caption the progress window takes is sent to it on this
        // thread, so none is missed however fast the copy is.
        const HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, NoteSaveCaption, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(hHook, nullptr);
        ClickLink(dlg.m_pEntryLists[0], 1, 3);
        ::UnhookWindowsHookEx(hHook);
    });
    ASSERT_FALSE(g_saveCaptions.empty());
    EXPECT_EQ(g_saveCaptions.back().first, L"正在保存...100.0% (1/1) 压缩 | " + zip);
    for (const auto& [caption, bMainShown] : g_saveCaptions)
        EXPECT_FALSE(bMainShown) << ToUtf8(caption);
    EXPECT_TRUE(ReadFile(m_out / L"zip copy.exe") == ReadFile(zip)) << "the copy's bytes";
}

TEST_F(RowActions, ABatchFileStaysAsItWasWhileItRuns)
{
    // The script tries to add a line to itself as it runs, then notes that
    // it ran.
    const std::wstring script = m_disc / L"soft\\self.cmd";
    const std::string text = "@echo rem added>>\"%~f0\"\r\n@echo ran>\"%~dp0ran.txt\"\r\n";
    WriteFile(script, text);
    WriteCatalogue(LR"([Type]
Sort1=甲类
[甲类.List]
List1=脚本
[脚本]
WorkingDir=%CurrDir%
AutoInstall=soft\self.cmd
)");
    Open([&](TestDlg& dlg) {
        ClickLink(dlg.m_pEntryLists[0], 1, 2);
        EXPECT_TRUE(PumpUntil([&] { return ReadFile(m_disc / L"soft\\ran.txt") == "ran\r\n"; },
                              std::chrono::seconds(30)));
    });
    EXPECT_EQ(WithoutLogFile(m_boxes), (std::vector<Box>{{L"脚本 安装完毕!\n", L"自动安装", MB_ICONINFORMATION}}));
    EXPECT_EQ(ReadFile(script), text);
    // Let go once its process has ended.
    EXPECT_TRUE(PumpUntil([&] { return ::DeleteFileW(script.c_str()) != FALSE; }, std::chrono::seconds(30)));
}

// The row menu as it opens: its items read, then one chosen with keys.
struct RowMenu {
    int nItem = 0;
    std::vector<std::wstring> texts;
};
RowMenu* g_pRowMenu = nullptr;

void CALLBACK ChooseFromRowMenu(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    HWND hMenu = ::FindWindowW(L"#32768", nullptr);
    if (!hMenu || !::IsWindowVisible(hMenu))
        return;
    ::KillTimer(hWnd, id);
    auto hPopup = reinterpret_cast<HMENU>(::SendMessageW(hMenu, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(hPopup); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(hPopup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_pRowMenu->texts.push_back(text);
    }
    for (int i = 0; i < g_pRowMenu->nItem; ++i)
        ::PostMessageW(hMenu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(hMenu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(RowActions, EachItemOfTheRowMenuDoesWhatItsLinkDoes)
{
    struct Case {
        int nRow;
        int nLink;
    };
    // In the all-software list: an installer, a missing one, a broken one.
    const Case cases[] = {{1, 1}, {1, 2}, {1, 3}, {2, 2}, {2, 3}, {4, 1}};
    struct Outcome {
        std::vector<Box> boxes;
        std::vector<std::wstring> asked;
        std::vector<std::wstring> logged;
        bool operator==(const Outcome&) const = default;
    };
    Open([&](TestDlg& dlg) {
        CListEx& list = dlg.m_pEntryLists[0];
        auto outcome = [&] {
            PumpUntil([&] { return !m_boxes.empty() || !m_asked.empty() || !SortedLines(m_log).empty(); },
                      std::chrono::seconds(30));
            Outcome o{WithoutLogFile(m_boxes), m_asked, SortedLines(m_log)};
            m_boxes.clear();
            m_asked.clear();
            ::DeleteFileW(m_log.c_str());
            return o;
        };
        for (const Case& c : cases) {
            ClickLink(list, c.nRow, c.nLink);
            const Outcome byLink = outcome();
            EXPECT_NE(byLink, Outcome{}) << c.nRow << "," << c.nLink;
            // The click left the keyboard on the row: its menu, by the Apps key.
            ASSERT_EQ(::GetFocus(), list.m_hWnd);
            RowMenu menu;
            menu.nItem = c.nLink;
            g_pRowMenu = &menu;
            ::SetTimer(dlg.m_hWnd, 78, 20, &ChooseFromRowMenu);
            PressKey(VK_APPS);
            PumpUntil([&] { return !menu.texts.empty(); });
            EXPECT_EQ(menu.texts, (std::vector<std::wstring>{L"手动安装", L"自动安装", L"保存安装包"}));
            EXPECT_EQ(outcome(), byLink) << c.nRow << "," << c.nLink;
        }
    });
}

// With the build's folders presented as the CD-ROM drives E: and G: (the
// main_window_tests_cdrom entry), this program runs from neither of them.
TEST_F(RowActions, AFileFromAnotherDriveIsNamedAndRunsOnlyWhenAgreedTo)
{
    const char* drives = std::getenv("QUILLSET_CDROM_DRIVES");
    if (!drives || std::string(drives) != "EG")
        GTEST_SKIP() << "run by the main_window_tests_cdrom entry, which presents E: and G: as CD-ROM drives";
    const std::wstring installer = ProgramFolder() + L"cdrom-g\\Soft\\zip setup.exe";
    WriteFile(installer, ReadFile(ProgramFolder() + L"demo_installer.exe"));
    WriteCatalogue(LR"([Type]
Sort1=甲类
[甲类.List]
List1=光盘
[光盘]
ManualInstall=cdrom:\Soft\zip setup.exe
AutoInstall=cdrom:\Soft\zip setup.exe /S
)");
    const std::wstring question =
        L"此文件不在本程序所在的驱动器上, 将使用:\n\nG:\\Soft\\zip setup.exe\n\n是否继续?";
    const Box asked{question, L"自动安装", MB_YESNO | MB_ICONQUESTION};
    // Link, answer, whether another file is moved over the installer while
    // the question is open, the boxes shown and what is logged afterwards.
    const std::tuple<int, int, bool, std::vector<Box>, std::vector<std::wstring>> cases[] = {
        {1, IDNO, false, {{question, L"手动安装", MB_YESNO | MB_ICONQUESTION}}, {}},
        {2, IDYES, false, {asked, {L"光盘 安装完毕!\n", L"自动安装", MB_ICONINFORMATION}}, {L"zip setup.exe|/S"}},
        {2, IDYES, true,
         {asked, {kRowFailed + L"光盘 | G:\\Soft\\zip setup.exe (" + kReplacedText + L")\n", L"自动安装", MB_ICONEXCLAMATION}},
         {}},
    };
    Open([&](TestDlg& dlg) {
        Show(dlg, 0);
        for (const auto& [nLink, nAnswer, bReplace, boxes, logged] : cases) {
            SystemDialogHooks hooks;
            hooks.messageBox = [&, nAnswer = nAnswer, bReplace = bReplace](
                                   HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
                if (bReplace && m_boxes.empty()) {
                    EXPECT_TRUE(::MoveFileExW((installer + L".new").c_str(), installer.c_str(),
                                              MOVEFILE_REPLACE_EXISTING));
                }
                m_boxes.push_back(Box{text, caption, type});
                return nAnswer;
            };
            SetSystemDialogHooks(hooks);
            WriteFile(installer + L".new", ReadFile(ProgramFolder() + L"demo_installer.exe"));
            ::DeleteFileW(m_log.c_str());
            m_boxes.clear();
            ClickLink(dlg.m_pEntryLists[0], 1, nLink);
            EXPECT_EQ(WithoutLogFile(m_boxes), boxes);
            PumpUntil([&] { return SortedLines(m_log) == logged; }, std::chrono::seconds(logged.empty() ? 2 : 30));
            EXPECT_EQ(SortedLines(m_log), logged) << "the file put in its place never runs";
        }
    });
    ::DeleteFileW((installer + L".new").c_str());
    ::DeleteFileW(installer.c_str());
}

TEST_F(RowActions, ADocumentOpensAsTheDesktopsUserWithNoProcessToWaitFor)
{
    // A document type of its own, opened by a copy of the demo installer.
    const std::wstring viewer = m_disc / L"viewer\\doc viewer.exe";
    WriteFile(viewer, ReadFile(ProgramFolder() + L"demo_installer.exe"));
    const FileType type(L".quilldoc", L"\"" + viewer + L"\" /S /file=\"%1\"");
    const std::wstring document = m_disc / L"docs\\read me.quilldoc";
    WriteFile(document, "Quillset");
    WriteCatalogue(LR"([Type]
Sort1=甲类
[甲类.List]
List1=说明
[说明]
WorkingDir=%CurrDir%
ManualInstall=docs\read me.quilldoc
)");
    // The desktop's shell opens it: its program runs with the desktop's
    // environment, not this program's, and logs beside itself. The batch
    // has no process of its own to wait for, and says so.
    const std::wstring beside = m_disc / L"viewer\\demo-install.log";
    ASSERT_TRUE(WaitForDesktopShell());
    Open([&](TestDlg& dlg) {
        Show(dlg, 0);
        ClickLink(dlg.m_pEntryLists[0], 1, 1);
        EXPECT_TRUE(PumpUntil([&] { return !ReadFile(beside).empty(); }, std::chrono::seconds(20)));
        EXPECT_EQ(WithoutLogFile(m_boxes),
                  (std::vector<Box>{{kRowFailed + L"说明 | " + document + L" (没有启动进程)\n", L"手动安装",
                                     MB_ICONEXCLAMATION}}));
    });
    EXPECT_EQ(FromUtf8(ReadFile(beside)), L"doc viewer.exe|/S /file=\"" + document + L"\"\r\n");
    EXPECT_EQ(ReadFile(m_log), "");
}

TEST(RowActionTargets, TheSaveDialogProposesTheInstallersNameInTheSaveFolder)
{
    EXPECT_EQ(row_actions::ProposedTarget(L"D:\\包\\", L"C:\\disc\\soft\\zip setup.exe"), L"D:\\包\\zip setup.exe");
    EXPECT_EQ(row_actions::ProposedTarget(L"", L"C:\\disc\\soft\\zip setup.exe"), L"zip setup.exe");
    EXPECT_EQ(row_actions::ProposedTarget(L"D:\\包\\", L"setup.exe"), L"D:\\包\\");
    EXPECT_EQ(row_actions::ProposedTarget(L"C:\\Users\\me\\Documents", L"soft\\a.exe"), L"C:\\Users\\me\\Documents\\a.exe");
    // Saving starts where the last save went, else in SavePath, else in
    // Documents; never in the disc's folder.
    const std::wstring documents = KnownFolderPath(FOLDERID_Documents);
    EXPECT_FALSE(documents.empty());
    EXPECT_EQ(row_actions::SaveStartFolder(L"", L""), documents);
    EXPECT_EQ(row_actions::SaveStartFolder(L"", L"D:\\包\\"), L"D:\\包\\");
    EXPECT_EQ(row_actions::SaveStartFolder(L"E:\\存\\", L"D:\\包\\"), L"E:\\存\\");
}

TEST(RowActionTargets, AFileIsKnownHoweverItsPathIsSpelt)
{
    TempDir dir;
    WriteFile(dir / L"a.exe", "a");
    WriteFile(dir / L"b.exe", "a");
    ASSERT_TRUE(IdentityOf(dir / L"a.exe"));
    EXPECT_EQ(IdentityOf(dir / L"a.exe"), IdentityOf(dir / L"sub\\..\\.\\A.EXE"));
    EXPECT_NE(IdentityOf(dir / L"a.exe"), IdentityOf(dir / L"b.exe"));
    EXPECT_FALSE(IdentityOf(dir / L"c.exe"));
}

} // namespace
} // namespace main_window_test
