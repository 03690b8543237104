// The batch commands of the main window on a written catalogue: their
// confirmations and notices answered through the dialog seam, real batches
// over the demo installer behind the real progress window, and the
// install-mode menu.
#include "tests/ui/main/main_window_fixture.h"

#include "batch/batch_texts.h"
#include "platform/system_dialogs.h"
#include "res/resource.h"
#include "ui/main/command_texts.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace main_window_test {
namespace {

using namespace testing_support;

struct Shown {
    std::wstring text;
    std::wstring caption;
    UINT nType = 0;
    bool bMainVisible = false;
};

class Commands : public MainWindow {
protected:
    void SetUp() override
    {
        m_log = m_disc / L"install.log";
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", m_log.c_str());
        Installer(L"soft dir\\zip setup.exe");
        Installer(L"clean.exe");
        WriteCatalogue(Catalogue(L""));
        SystemDialogHooks hooks;
        hooks.messageBox = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT nType) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_shown.push_back(Shown{text, caption, nType, m_hMain && ::IsWindowVisible(m_hMain)});
            if (m_onQuestion && (nType & MB_YESNO))
                std::exchange(m_onQuestion, {})();
            if (m_answers.empty())
                return IDOK;
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        };
        hooks.browseForFolder = [this](HWND, const std::wstring& title,
                                       const std::wstring& start) -> std::optional<std::wstring> {
            EXPECT_EQ(title, L"请选择安装包保存路径:");
            ++m_nBrowsed;
            m_starts.push_back(start);
            if (m_folders.empty())
                return std::nullopt;
            const auto folder = m_folders.front();
            m_folders.pop_front();
            return folder;
        };
        SetSystemDialogHooks(hooks);
    }

    // Two checked entries, one with switches after a path with blanks, one
    // whose installer is missing, and an unchecked one between them.
    static std::wstring Catalogue(const std::wstring& config)
    {
        return L"[Config]\r\n" + config +
               LR"([Type]
Sort1=工具
Sort2=其他
[工具.List]
List1=压缩
List2=清理
[压缩]
WorkingDir=%CurrDir%
AutoInstall=soft dir\zip setup.exe /S /D=C:\x
ManualInstall=soft dir\zip setup.exe
Checked=1
[清理]
WorkingDir=%CurrDir%
AutoInstall=clean.exe /quiet
ManualInstall=clean.exe
[其他.List]
List1=缺失
[缺失]
WorkingDir=%CurrDir%
AutoInstall=missing.exe /S
ManualInstall=missing.exe
Checked=1
)";
    }
    void Installer(const std::wstring& relative)
    {
        WriteFile(m_disc / relative, "");
        ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), (m_disc / relative).c_str(), FALSE));
    }
    std::wstring Log() const { return FromUtf8(ReadFile(m_log)); }
    // Runs a command of the window as its button does.
    void Command(TestDlg& dlg, UINT nID)
    {
        m_hMain = dlg.m_hWnd;
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
        PumpMessages();
    }
    std::vector<Shown> TakeShown()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_shown, {});
    }

    std::wstring m_log;
    std::mutex m_mutex;
    HWND m_hMain = nullptr;
    std::vector<Shown> m_shown;
    std::deque<int> m_answers;
    // Runs once, while the next question is open.
    std::function<void()> m_onQuestion;
    std::deque<std::optional<std::wstring>> m_folders;
    int m_nBrowsed = 0;
    // Where the folder browser started, each time.
    std::vector<std::wstring> m_starts;
};

TEST_F(Commands, ConfirmationsListTheCheckedItemsAndNoStartsNothing)
{
    const std::wstring disc = m_disc.Path() + L"\\";
    Open([&](TestDlg& dlg) {
        m_answers = {IDNO};
        Command(dlg, CQuillsetDlg::kIdInstall);
        m_answers = {IDNO};
        Command(dlg, CQuillsetDlg::kIdSave);
        m_folders = {std::nullopt};
        dlg.SendMessage(WM_COMMAND, ID_MODE_MANUAL);
        m_answers = {IDNO};
        Command(dlg, CQuillsetDlg::kIdInstall);
    });
    const std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 2u) << "the save without a folder asks nothing";
    // Each item by its entry's name, then its file.
    EXPECT_EQ(shown[0].text, L"您确定要开始自动安装如下软件么?\n\n压缩 | " + disc +
                                 L"soft dir\\zip setup.exe /S /D=C:\\x\n缺失 | " + disc + L"missing.exe /S\n");
    EXPECT_EQ(shown[0].caption, L"软件安装");
    EXPECT_EQ(shown[0].nType, UINT{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(shown[1].text,
              L"您确定要开始手动安装如下软件么?\n\n压缩 | " + disc + L"soft dir\\zip setup.exe\n缺失 | " + disc +
                  L"missing.exe\n");
    EXPECT_EQ(m_nBrowsed, 1);
    EXPECT_EQ(Log(), L"");
}

TEST_F(Commands, NothingCheckedGivesTheNoticeWithTheCommandsCaption)
{
    WriteCatalogue(L"[Type]\r\nSort1=A\r\n[A.List]\r\nList1=x\r\n");
    Open([&](TestDlg& dlg) {
        Command(dlg, CQuillsetDlg::kIdInstall);
        Command(dlg, CQuillsetDlg::kIdSave);
    });
    const std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(shown[i].text, L"您没有选中任何一款软件! 请选择您需要安装的软件之后再进行批量的处理.");
        EXPECT_EQ(shown[i].nType & MB_ICONMASK, UINT{MB_ICONINFORMATION});
        EXPECT_TRUE(shown[i].bMainVisible);
    }
    EXPECT_EQ(shown[0].caption, L"软件安装");
    EXPECT_EQ(shown[1].caption, L"保存安装包");
    EXPECT_EQ(m_nBrowsed, 0);
}

TEST_F(Commands, AnAutomaticInstallRunsTheCheckedEntriesBehindTheProgressWindow)
{
    Open([&](TestDlg& dlg) {
        m_answers = {IDYES, IDOK};
        Command(dlg, CQuillsetDlg::kIdInstall);
        EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd)) << "shown again after the batch";
    });
    EXPECT_EQ(Log(), L"zip setup.exe|/S /D=C:\\x\r\n");
    const std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 3u);
    // After the report, over the window shown again: whether to check the
    // failed one again.
    EXPECT_EQ(shown[2].text.find(L"有 1 款软件安装失败或没有运行。"), 0u) << shown[2].text;
    EXPECT_EQ(shown[2].caption, L"软件安装");
    EXPECT_EQ(shown[2].nType, UINT{MB_YESNO | MB_ICONQUESTION});
    EXPECT_TRUE(shown[2].bMainVisible);
    EXPECT_FALSE(shown[1].bMainVisible) << "hidden while the batch runs";
    EXPECT_NE(shown[1].text.find(L"missing.exe /S"), std::wstring::npos) << "the report names the missing one";
    EXPECT_EQ(shown[1].text.find(L"zip setup.exe"), std::wstring::npos);
    // It names the batch's log, which holds every item by its entry's name.
    const size_t at = shown[1].text.find(L"\n日志文件: ");
    ASSERT_NE(at, std::wstring::npos) << shown[1].text;
    const std::wstring log = FromUtf8(ReadFile(shown[1].text.substr(at + 7)));
    EXPECT_NE(log.find(L"\r\n成功 | 压缩 | "), std::wstring::npos) << log;
    EXPECT_NE(log.find(L" | " + (m_disc / L"soft dir\\zip setup.exe") + L" |  | /S /D=C:\\x |  | 退出代码 0 | "),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n失败 | 缺失 | "), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"missing.exe /S |  |  |  |  | Windows 错误 2"), std::wstring::npos) << log;
}

TEST_F(Commands, TheBatchRunsWhatTheConfirmationShowedOrNothing)
{
    // The installer named in the question is replaced while it is open:
    // clean.exe is moved over it.
    const std::wstring zip = m_disc / L"soft dir\\zip setup.exe";
    m_onQuestion = [&] {
        EXPECT_TRUE(::MoveFileExW((m_disc / L"clean.exe").c_str(), zip.c_str(), MOVEFILE_REPLACE_EXISTING));
    };
    Open([&](TestDlg& dlg) {
        m_answers = {IDYES, IDOK};
        Command(dlg, CQuillsetDlg::kIdInstall);
    });
    EXPECT_EQ(Log(), L"") << "the file put in its place never runs";
    const std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text.find(L"您确定要开始自动安装如下软件么?\n\n压缩 | " + zip + L" /S /D=C:\\x\n"), 0u)
        << shown[0].text;
    EXPECT_NE(shown[1].text.find(L"\n压缩 | " + zip + L" (" + kReplacedText + L")\n"), std::wstring::npos)
        << shown[1].text;
}

TEST_F(Commands, SaveBatchesIntoTheConfiguredOrAChosenFolder)
{
    const std::wstring saved = m_disc / L"saved\\";
    ::CreateDirectoryW(saved.c_str(), nullptr);
    WriteCatalogue(Catalogue(L"SavePath=" + saved + L"\r\n"));
    Open([&](TestDlg& dlg) {
        m_answers = {IDYES, IDOK};
        Command(dlg, CQuillsetDlg::kIdSave);
    });
    EXPECT_EQ(m_nBrowsed, 0);
    std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 2u);
    const std::wstring ending = L"\n保存路径: " + saved;
    EXPECT_EQ(shown[0].text.substr(shown[0].text.size() - ending.size()), ending);
    EXPECT_EQ(ReadFile(saved + L"zip setup.exe"), ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_NE(shown[1].text.find(L"missing.exe"), std::wstring::npos);

    // Without one: a folder with no path asks again; cancelling ends it.
    WriteCatalogue(Catalogue(L""));
    Open([&](TestDlg& dlg) {
        m_folders = {std::wstring(), std::nullopt};
        m_answers = {IDYES};
        Command(dlg, CQuillsetDlg::kIdSave);
    });
    EXPECT_EQ(m_nBrowsed, 2);
    shown = TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"您选择的路径为空, 是否重新选择?");
    EXPECT_EQ(shown[0].caption, L"保存安装包");
    // Nothing saved yet: the browser starts in Documents, never on the disc.
    const std::wstring documents = KnownFolderPath(FOLDERID_Documents);
    ASSERT_FALSE(documents.empty());
    EXPECT_EQ(m_starts, (std::vector<std::wstring>{documents, documents}));

    // Once a batch has saved somewhere, the next one starts there.
    m_starts.clear();
    Open([&](TestDlg& dlg) {
        m_folders = {saved, std::nullopt};
        m_answers = {IDYES, IDOK};
        Command(dlg, CQuillsetDlg::kIdSave);
        Command(dlg, CQuillsetDlg::kIdSave);
    });
    EXPECT_EQ(m_starts, (std::vector<std::wstring>{documents, saved}));
}

// A folder the batch could not write into is found out when it is chosen,
// before the confirmation, with the reason in words; Yes chooses again.
TEST_F(Commands, ASaveFolderThatCannotTakeTheCopiesIsFoundOutWhenChosen)
{
    const std::wstring good = m_disc / L"good";
    ::CreateDirectoryW(good.c_str(), nullptr);
    WriteFile(m_disc / L"protected\\keep.txt", "");
    ::CreateDirectoryW((m_disc / L"public").c_str(), nullptr);
    ASSERT_TRUE(LayLink(m_disc / L"public\\linked", m_disc / L"protected"));
    const std::wstring refused = L"不能保存到此文件夹: ";
    const std::wstring again = L"\n\n是否重新选择?";

    // A link chosen: refused with the reason, then a good folder is chosen.
    Open([&](TestDlg& dlg) {
        m_folders = {m_disc / L"public\\linked\\", good};
        m_answers = {IDYES, IDYES, IDOK};
        Command(dlg, CQuillsetDlg::kIdSave);
    });
    EXPECT_EQ(m_nBrowsed, 2);
    std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, refused + L"它本身或它所在的文件夹是链接 (符号链接或交接点), 为安全起见不向其中保存。\n\n保存路径: " +
                                 (m_disc / L"public\\linked\\") + again);
    EXPECT_EQ(shown[0].caption, L"保存安装包");
    EXPECT_EQ(shown[0].nType, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_TRUE(shown[0].bMainVisible) << "asked before anything starts";
    EXPECT_NE(shown[1].text.find(L"\n保存路径: " + good), std::wstring::npos) << "the confirmation follows";
    EXPECT_EQ(ReadFile(good + L"\\zip setup.exe"), ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_EQ(::GetFileAttributesW((m_disc / L"protected\\zip setup.exe").c_str()), INVALID_FILE_ATTRIBUTES);

    // A configured folder that is not there, and one whose disk has too
    // little room for the installers (one larger than any disk here, its
    // bytes never written): No ends the command, with nothing asked.
    const struct {
        const char* name;
        std::wstring folder;
        std::wstring reason;
    } cases[] = {
        {"missing", m_disc / L"gone\\", L"这个文件夹不存在"},
        {"no room", good + L"\\", L"所在磁盘的空间不够: 要保存的安装包共 8388608.0 MB, 可用空间只有 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.reason.starts_with(L"所在磁盘")) {
            CFileHandle file(::CreateFileW((m_disc / L"soft dir\\zip setup.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER size{};
            size.QuadPart = 8ll << 40;
            ASSERT_TRUE(::SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
            ASSERT_TRUE(::SetEndOfFile(file.Get()));
        }
        WriteCatalogue(Catalogue(L"SavePath=" + c.folder + L"\r\n"));
        m_nBrowsed = 0;
        Open([&](TestDlg& dlg) {
            m_answers = {IDNO, IDNO};
            Command(dlg, CQuillsetDlg::kIdSave);
        });
        EXPECT_EQ(m_nBrowsed, 0);
        shown = TakeShown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text.rfind(refused + c.reason, 0), 0u) << platform_text::ToUtf8(shown[0].text);
        EXPECT_NE(shown[0].text.find(L"\n\n保存路径: " + c.folder + again), std::wstring::npos);
    }
}

std::wstring Tooltip(const CThemedButton& button)
{
    wchar_t text[256] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = button.m_hWnd;
    info.uId = 1;
    info.lpszText = text;
    ::SendMessageW(button.TooltipWindow(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

// The install-mode menu as it opens under its button, then closed by a key.
struct MenuSeen {
    RECT rc{};
    bool bAutoChecked = false;
    bool bManualChecked = false;
    WPARAM key = 0;
};
MenuSeen* g_pMenuSeen = nullptr;

void CALLBACK ReadMenu(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    HWND hMenu = ::FindWindowW(L"#32768", nullptr);
    if (!hMenu || !::IsWindowVisible(hMenu))
        return;
    ::KillTimer(hWnd, id);
    ::GetWindowRect(hMenu, &g_pMenuSeen->rc);
    auto hPopup = reinterpret_cast<HMENU>(::SendMessageW(hMenu, MN_GETHMENU, 0, 0));
    g_pMenuSeen->bAutoChecked = ::GetMenuState(hPopup, ID_MODE_AUTO, MF_BYCOMMAND) & MF_CHECKED;
    g_pMenuSeen->bManualChecked = ::GetMenuState(hPopup, ID_MODE_MANUAL, MF_BYCOMMAND) & MF_CHECKED;
    ::PostMessageW(hMenu, WM_KEYDOWN, g_pMenuSeen->key, 0);
}

TEST_F(Commands, TheModeMenuSwitchesTheInstallButtonAndTheNextBatch)
{
    // What a screen reader reads of each button: its whole label, whatever
    // its images draw, with its mnemonic.
    const std::pair<int, std::wstring> labels[] = {
        {CQuillsetDlg::kIdSelectAll, L"全选(&A)"}, {CQuillsetDlg::kIdSave, L"保存(&S)"},
        {CQuillsetDlg::kIdInstall, L"自动安装(&I)"}, {CQuillsetDlg::kIdOptions, L"安装选项"},
        {CQuillsetDlg::kIdHomepage, L"官方主页"},   {CQuillsetDlg::kIdHelp, L"使用帮助"}};
    auto label = [](const TestDlg& dlg, int nID) {
        wchar_t text[64] = {};
        ::GetWindowTextW(::GetDlgItem(dlg.m_hWnd, nID), text, 64);
        return std::wstring(text);
    };
    Open([&](TestDlg& dlg) {
        for (const auto& [nID, text] : labels)
            EXPECT_EQ(label(dlg, nID), text) << nID;
        const std::wstring tipBefore = Tooltip(dlg.m_btnInstall);
        MenuSeen seen;
        g_pMenuSeen = &seen;
        seen.key = 'M';
        ::SetTimer(dlg.m_hWnd, 77, 20, &ReadMenu);
        Command(dlg, CQuillsetDlg::kIdOptions);
        RECT options{};
        ::GetWindowRect(::GetDlgItem(dlg.m_hWnd, CQuillsetDlg::kIdOptions), &options);
        EXPECT_EQ(seen.rc.left, options.left);
        EXPECT_EQ(seen.rc.top, options.bottom);
        EXPECT_TRUE(seen.bAutoChecked);
        EXPECT_FALSE(seen.bManualChecked);
        PumpMessages();
        EXPECT_EQ(m_settings.DefaultMode, 0);
        EXPECT_EQ(tipBefore, L"自动安装所选软件");
        EXPECT_EQ(Tooltip(dlg.m_btnInstall), L"手动安装所选软件");
        EXPECT_EQ(label(dlg, CQuillsetDlg::kIdInstall), L"手动安装(&I)");
        const CBitmap manual = LoadBitmapResource(IDB_INSTALL_MANUAL);
        EXPECT_EQ(BitmapPixels(dlg.m_btnInstall.Bitmap(1).hBitmap.Get(), 105, 23).At(20, 11),
                  BitmapPixels(manual.Get(), 105, 23).At(20, 11));

        // The menu shows the new mode; Escape leaves it as it is.
        seen = MenuSeen{};
        seen.key = VK_ESCAPE;
        ::SetTimer(dlg.m_hWnd, 77, 20, &ReadMenu);
        Command(dlg, CQuillsetDlg::kIdOptions);
        EXPECT_TRUE(seen.bManualChecked);
        EXPECT_FALSE(seen.bAutoChecked);
        m_answers = {IDNO};
        Command(dlg, CQuillsetDlg::kIdInstall);
        g_pMenuSeen = nullptr;
    });
    const std::vector<Shown> shown = TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.find(L"您确定要开始手动安装如下软件么?"), 0u);
}

HWND g_hAboutOwner = nullptr;

void CALLBACK CloseAbout(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    HWND hAbout = ::FindWindowW(L"#32770", L"关于 Tovrin Quillset");
    if (!hAbout || !::IsWindowVisible(hAbout))
        return;
    ::KillTimer(hWnd, id);
    g_hAboutOwner = ::GetWindow(hAbout, GW_OWNER);
    ::PostMessageW(hAbout, WM_COMMAND, IDOK, 0);
}

TEST_F(Commands, TheHelpMenuAndTheSystemMenuOpenTheAboutBox)
{
    Open([&](TestDlg& dlg) {
        MenuSeen seen;
        g_pMenuSeen = &seen;
        seen.key = 'A';
        ::SetTimer(dlg.m_hWnd, 77, 20, &ReadMenu);
        ::SetTimer(dlg.m_hWnd, 78, 20, &CloseAbout);
        g_hAboutOwner = nullptr;
        Command(dlg, CQuillsetDlg::kIdHelp);
        RECT help{};
        ::GetWindowRect(::GetDlgItem(dlg.m_hWnd, CQuillsetDlg::kIdHelp), &help);
        EXPECT_EQ(seen.rc.left, help.left);
        EXPECT_EQ(seen.rc.top, help.bottom);
        EXPECT_EQ(g_hAboutOwner, dlg.m_hWnd);

        g_hAboutOwner = nullptr;
        ::SetTimer(dlg.m_hWnd, 78, 20, &CloseAbout);
        dlg.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
        EXPECT_EQ(g_hAboutOwner, dlg.m_hWnd);
        g_pMenuSeen = nullptr;
    });
}

TEST(CommandTexts, LongSelectionsListTheFirstItemsAndACount)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < 300; ++i)
        items.push_back(L"D:\\Soft\\" + std::to_wstring(i) + L".exe");
    const std::wstring lines = command_texts::ItemLines(items);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L'\n'), 21);
    EXPECT_EQ(lines.substr(lines.size() - 14), L"…… 等共 300 款软件\n");
    items.resize(20);
    const std::wstring all = command_texts::ItemLines(items);
    EXPECT_EQ(std::count(all.begin(), all.end(), L'\n'), 20);
}

} // namespace
} // namespace main_window_test
