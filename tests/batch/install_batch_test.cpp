// Install batches: real installers started one after the other behind the
// real progress window.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_texts.h"

#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

const wchar_t kInstallFailureHeader[] =
    L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n";

// The handles this process holds, counted one value after the other (Wine
// answers GetProcessHandleCount with 0).
int OpenHandleCount()
{
    int count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

std::wstring Caption(const std::wstring& text, int pos)
{
    return L"caption \"" + text + L"\" at " + std::to_wstring(pos);
}

TEST_F(Batch, InstallBatchCountsEachItemBeforeItRuns)
{
    const std::wstring a = Installer(L"Setup\\a setup.exe");
    const std::wstring b = Installer(L"Setup\\Tool Dir\\b.exe");
    const std::wstring c = Installer(L"c.exe");
    const std::vector<std::wstring> items{a + L" /S", L"  " + b + L" /S /exit=3010 ", c + L" /quiet /D=C:\\My Apps"};

    EXPECT_EQ(Run(0, items), IDCANCEL);

    const std::vector<std::wstring> expected{
        L"range 0..3",
        L"pos 0",
        Caption(L"正在安装...0.0% ", 0),
        Caption(L"正在安装...33.3% (1/3) " + a, 0),
        L"delta 1",
        Caption(L"正在安装...66.7% (2/3) " + b, 1),
        L"delta 1",
        Caption(L"正在安装...100.0% (3/3) " + c, 2),
        L"delta 1",
        L"report",
    };
    EXPECT_EQ(Events(), expected);
    // One after the other, each with its own switches; 3010 (done, restart
    // needed) is a success.
    EXPECT_EQ(Log(), L"a setup.exe|/S\r\nb.exe|/S /exit=3010\r\nc.exe|/quiet /D=C:\\My Apps\r\n");
    EXPECT_TRUE(m_report.arrFailed.empty());
    // The worker starts programs from a COM apartment of its own.
    EXPECT_TRUE(m_report.bComApartment);

    EXPECT_TRUE(m_report.bShown);
    EXPECT_EQ(m_report.hOwner, m_main.m_hWnd);
    // The report offers to restart for the one that asked.
    EXPECT_EQ(m_report.strText, L"所有项目安装完毕!\n" + LogLine() + L"\n\n以下软件需要重新启动计算机才能完成安装:\n" + b +
                                    L"\n\n是否立即重新启动计算机?");
    EXPECT_EQ(m_report.strCaption, L"软件安装");
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(m_report.nBarLow, 0);
    EXPECT_EQ(m_report.nBarHigh, 3);
    EXPECT_EQ(m_report.nBarPos, 3);
}

TEST_F(Batch, SingleItemShowsItsFullCaptionBeforeItStarts)
{
    const std::wstring setup = Installer(L"only setup.exe");
    std::vector<std::wstring> logAtCaption;
    m_onCaption = [&](const std::wstring&) { logAtCaption.push_back(Log()); };

    Run(0, {setup + L" /S /delay=300"});

    const std::vector<std::wstring> expected{
        L"range 0..1", L"pos 0", Caption(L"正在安装...0.0% ", 0), Caption(L"正在安装...100.0% (1/1) " + setup, 0),
        L"delta 1",    L"report",
    };
    EXPECT_EQ(Events(), expected);
    // The installer had not run when either caption went up, and it ran to
    // its end before the report.
    EXPECT_EQ(logAtCaption, (std::vector<std::wstring>{L"", L""}));
    EXPECT_EQ(Log(), L"only setup.exe|/S /delay=300\r\n");
    EXPECT_EQ(m_report.strText, L"所有项目安装完毕!\n" + LogLine());
}

TEST_F(Batch, EveryItemMissingStartsNothingAndListsAllInOrder)
{
    const std::vector<std::wstring> items{
        L"  " + (m_dir / L"missing one.exe") + L" /S ",
        L"D:\\Soft\\cdrom:\\setup\\missing.exe /verysilent",
        m_dir / L"Setup\\tool.msi",
    };
    Run(0, items);

    const std::vector<std::wstring> failed{
        m_dir / L"missing one.exe /S",
        L"D:\\Soft\\cdrom:\\setup\\missing.exe /verysilent",
        m_dir / L"Setup\\tool.msi",
    };
    EXPECT_EQ(m_report.arrFailed, failed);
    const std::vector<std::wstring> expected{
        L"range 0..3",
        L"pos 0",
        Caption(L"正在安装...0.0% ", 0),
        Caption(L"正在安装...33.3% (1/3) " + failed[0], 0),
        L"delta 1",
        Caption(L"正在安装...66.7% (2/3) " + failed[1], 1),
        L"delta 1",
        Caption(L"正在安装...100.0% (3/3) " + failed[2], 2),
        L"delta 1",
        L"report",
    };
    EXPECT_EQ(Events(), expected);
    EXPECT_EQ(Log(), L"");
    // The window stays up until the report has been answered.
    EXPECT_TRUE(m_report.bWindowVisible);
    // Each is listed with why it failed: not that an installer failed.
    EXPECT_EQ(m_report.strText, kInstallFailureHeader + failed[0] + L" (文件没找到)\n" + failed[1] + L" (文件没找到)\n" +
                                    failed[2] + L" (文件没找到)\n" + LogLine());
    EXPECT_EQ(m_report.strCaption, L"软件安装");
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_EQ(m_report.nBarPos, 3);
}

TEST_F(Batch, FailureInTheMiddleDoesNotStopTheBatch)
{
    const std::wstring first = Installer(L"first.exe");
    const std::wstring last = Installer(L"last.exe");
    // The third is found but no program can open it: it fails without a
    // process.
    const std::wstring document = m_dir / L"Docs\\notes.quillnone";
    WriteFile(document, "notes");
    // The fourth is an entry the catalogue gives no command for this install.
    const std::vector<std::wstring> items{first + L" /S", m_dir / L"gone.exe /S", document, L"  ", last + L" /S"};
    m_names = {L"甲", L"乙", L"丙", L"丁", L"戊"};

    Run(0, items);

    EXPECT_EQ(Log(), L"first.exe|/S\r\nlast.exe|/S\r\n");
    const std::vector<std::wstring> failed{m_dir / L"gone.exe /S", document, L""};
    EXPECT_EQ(m_report.arrFailed, failed);
    // The document was found; the system's error for it is named.
    EXPECT_EQ(m_report.strText.find(kInstallFailureHeader + (L"乙 | " + failed[0]) + L" (文件没找到)\n丙 | " + failed[1] +
                                    L" (Windows 错误 "),
              0u)
        << m_report.strText;
    EXPECT_NE(m_report.strText.find(L"\n丁 (目录中没有此项的这种安装命令 (如自动安装没有已知的静默参数), 没有运行)\n"),
              std::wstring::npos)
        << m_report.strText;
    EXPECT_NE(m_report.strText.find(L")\n" + LogLine()), std::wstring::npos) << m_report.strText;
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST_F(Batch, InstallersThatEndWithAFailureCodeAreListedAsFailed)
{
    // Exit code, whether it counts as installed, and what the report says
    // of it; in Chinese folders, with Chinese parameters. The commonest
    // codes of Windows Installer are told in words.
    // (1641, a started restart, ends the batch: a case of its own.)
    const struct {
        int code;
        bool bInstalled;
        std::wstring reason;
    } cases[] = {
        {0, true, L""},
        {3010, true, L""},
        {1603, false, L" (安装程序退出码 1603: 安装过程中发生严重错误)"},
        {1602, false, L" (安装程序退出码 1602: 安装被用户取消)"},
        {1619, false, L" (安装程序退出码 1619: 无法打开安装包, 请检查文件是否完整)"},
        {3, false, L" (安装程序退出码 3)"},
        {-1, false, L" (安装程序退出码 -1)"},
    };
    std::vector<std::wstring> items;
    std::wstring failed;
    std::wstring restart;
    std::wstring log;
    for (const auto& [code, bInstalled, reason] : cases) {
        const std::wstring setup = Installer(L"光盘\\软件 " + std::to_wstring(code) + L"\\安装.exe");
        items.push_back(setup + L" /S /标题=装机 /exit=" + std::to_wstring(code));
        log += L"安装.exe|/S /标题=装机 /exit=" + std::to_wstring(code) + L"\r\n";
        failed += bInstalled ? L"" : setup + reason + L"\n";
        restart += bInstalled && code ? setup + L"\n" : L"";
    }
    Run(0, items);
    EXPECT_EQ(Log(), log);
    // Every file was found: the report points at the reasons.
    EXPECT_EQ(m_report.strText, L"某些项目安装失败, 请查看各项后面的失败原因!\n\n安装失败列表:\n" + failed + LogLine() +
                                    L"\n\n以下软件需要重新启动计算机才能完成安装:\n" + restart +
                                    L"\n是否立即重新启动计算机?");
}

TEST_F(Batch, ProcessHandlesDoNotPileUpOverAHundredItems)
{
    const std::wstring setup = Installer(L"quick.exe");
    Run(0, {setup + L" /S"});
    const int before = OpenHandleCount();

    // A handle kept per item would show ten times over the margin.
    const std::vector<std::wstring> items(100, setup + L" /S");
    Run(0, items);

    EXPECT_GT(before, 0);
    EXPECT_LE(OpenHandleCount(), before + 10);
    EXPECT_TRUE(m_report.arrFailed.empty());
    EXPECT_EQ(m_report.nBarPos, 100);
    EXPECT_EQ(m_report.strText, L"所有项目安装完毕!\n" + LogLine());
}

TEST(RowReport, AnInstallOfOneTellsItsItemUnderTheLinksName)
{
    BatchSummary done;
    done.arrItems = {LoggedItem{ItemOutcome::Succeeded, L"压缩", L"zip.exe /S", L"退出代码 0"}};
    done.strLogFile = L"C:\\logs\\a.log";
    BatchSummary restart = done;
    restart.arrRestart = {L"压缩"};
    BatchSummary started = done;
    started.strRestartStarted = L"压缩";
    BatchSummary notFound = done;
    notFound.bAnyNotFound = true;
    BatchSummary noLog = done;
    noLog.dwLogError = ERROR_ACCESS_DENIED;
    const std::wstring failed = L"压缩 | D:\\zip.exe (安装程序退出码 1603: 安装过程中发生严重错误)";
    const struct {
        const char* name;
        BatchSummary summary;
        std::vector<std::wstring> failedLines;
        std::wstring text;
        UINT nType;
    } cases[] = {
        {"done", done, {}, L"压缩 安装完毕!\n\n日志文件: C:\\logs\\a.log", MB_ICONINFORMATION},
        {"done, restart needed", restart, {},
         L"压缩 安装完毕!\n\n日志文件: C:\\logs\\a.log\n\n以下软件需要重新启动计算机才能完成安装:\n压缩\n\n是否立即重新启动计算机?",
         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2},
        {"done, restart started", started, {},
         L"压缩 安装完毕!\n\n日志文件: C:\\logs\\a.log\n\n压缩 的安装程序已开始重新启动计算机。", MB_ICONINFORMATION},
        {"failed", done, {failed}, L"安装失败, 请查看失败原因!\n\n" + failed + L"\n\n日志文件: C:\\logs\\a.log",
         MB_ICONEXCLAMATION},
        {"not found", notFound, {L"压缩 | D:\\zip.exe (文件没找到)"},
         L"安装失败, 请检查安装文件路径!\n\n压缩 | D:\\zip.exe (文件没找到)\n\n日志文件: C:\\logs\\a.log",
         MB_ICONEXCLAMATION},
        {"no log", noLog, {}, L"压缩 安装完毕!\n\n日志文件无法写入: C:\\logs\\a.log (Windows 错误 5)", MB_ICONINFORMATION},
    };
    for (const auto& c : cases) {
        const BatchReport report = MakeRowReport(L"自动安装", c.failedLines, c.summary);
        EXPECT_EQ(report.strText, c.text) << c.name;
        EXPECT_EQ(report.strCaption, L"自动安装") << c.name;
        EXPECT_EQ(report.nType, c.nType) << c.name;
    }
}

} // namespace
} // namespace batch_testing
