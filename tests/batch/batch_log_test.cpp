// What a batch leaves behind: its log, the restart it offers, the retries
// of a busy installer and a report that stays on the screen.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_log.h"
#include "batch/batch_texts.h"

#include <aclapi.h>

#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

size_t Count(const std::wstring& text, const std::wstring& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST_F(Batch, LogHoldsEveryItemAndTheReportOffersTheRestart)
{
    const std::wstring a = Installer(L"光盘\\压缩.exe");
    const std::wstring b = Installer(L"office setup.exe");
    const std::wstring missing = m_dir / L"缺失.exe";
    m_names = {L"压缩", L"办公 2026", L"驱动"};
    // The log's lines in order, each as it starts.
    const std::vector<std::wstring> starts{
        L"\xFEFFTovrin Quillset 1.1.125.1400\r\n批处理: 软件安装\r\n目录文件: \r\n计算机: ", L"\r\n开始时间: 20",
        L"\r\n成功 | 压缩 | " + a + L" /S | " + a + L" |  | /S |  | 退出代码 0 | ",
        L"\r\n需要重新启动 | 办公 2026 | " + b + L" /S /exit=3010 | " + b + L" |  | /S /exit=3010 |  | 退出代码 3010 | ",
        L"\r\n失败 | 驱动 | " + missing + L" /S |  |  |  |  | Windows 错误 2", L" 秒\r\n结束时间: 20",
        L"\r\n结果: 共 3 项, 成功 1 项, 需要重新启动 1 项, 失败 1 项\r\n"};

    // The answer to the restart question, and the restarts it leads to.
    for (const auto& [nAnswer, nRestarts] : {std::pair{IDNO, 0}, std::pair{IDYES, 1}}) {
        ::DeleteFileW(m_options.strLogFile.c_str());
        m_nReportAnswer = nAnswer;
        m_nRestarts = 0;
        Run(0, {a + L" /S", b + L" /S /exit=3010", missing + L" /S"});

        EXPECT_EQ(m_nRestarts, nRestarts);
        EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(m_report.strText, L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n驱动 | " +
                                        missing + L" /S (文件没找到)\n" + LogLine() +
                                        L"\n\n以下软件需要重新启动计算机才能完成安装:\n办公 2026\n\n是否立即重新启动计算机?");
        const std::wstring log = BatchLog();
        size_t at = 0;
        for (const std::wstring& start : starts) {
            at = log.find(start, at);
            ASSERT_NE(at, std::wstring::npos) << start << "\n" << log;
        }
        EXPECT_EQ(BatchExitCode(m_report.arrFailed.size(), m_summary), 1603);
    }
}

TEST_F(Batch, AnInstallerThatStartsARestartIsTheLastOneStarted)
{
    const std::wstring a = Installer(L"光盘\\压缩.exe");
    const std::wstring b = Installer(L"office setup.exe");
    const std::wstring missing = m_dir / L"缺失.exe";
    const wchar_t kFailed[] = L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n";
    const wchar_t kLeftOut[] = L"安装程序已开始重新启动计算机, 以下项目没有运行:\n";
    const struct {
        const char* name;
        std::vector<std::wstring> items;
        std::vector<std::wstring> names;
        std::wstring installed;
        // The report, up to the log file, and after it.
        std::wstring report;
        std::wstring after;
        UINT nType;
        int nExitCode;
        std::vector<std::wstring> logLines;
    } cases[] = {
        {"the items after it are left out",
         {a + L" /S /exit=1641", b + L" /S", missing + L" /S"},
         {L"压缩", L"办公", L"驱动"},
         L"压缩.exe|/S /exit=1641\r\n",
         kLeftOut + (L"办公 | " + b + L"\n驱动 | " + missing + L" /S\n"),
         L"\n\n压缩 的安装程序已开始重新启动计算机。",
         MB_ICONEXCLAMATION,
         1641,
         {L"\r\n需要重新启动 | 压缩 | " + a + L" /S /exit=1641 | " + a + L" |  | /S /exit=1641 |  | 退出代码 1641 | ",
          L"\r\n未运行 | 办公 | " + b + L" /S | " + b + L" |  | /S |  | 前面的安装程序已开始重新启动计算机 | \r\n",
          L"\r\n未运行 | 驱动 | " + missing + L" /S |  |  |  |  | 前面的安装程序已开始重新启动计算机 | \r\n",
          L"失败 0 项, 未运行 2 项 (已开始重新启动)\r\n"}},
        {"a failure before it",
         {missing + L" /S", a + L" /S /exit=1641", b + L" /S"},
         {},
         L"压缩.exe|/S /exit=1641\r\n",
         kFailed + missing + L" /S (文件没找到)\n\n" + kLeftOut + b + L"\n",
         L"\n\n" + a + L" 的安装程序已开始重新启动计算机。",
         MB_ICONEXCLAMATION,
         1603,
         {L"失败 1 项, 未运行 1 项 (已开始重新启动)\r\n"}},
        {"the last item, after one that needs a restart: no question",
         {b + L" /S /exit=3010", a + L" /S /exit=1641"},
         {L"办公", L"压缩"},
         L"office setup.exe|/S /exit=3010\r\n压缩.exe|/S /exit=1641\r\n",
         L"所有项目安装完毕!\n",
         L"\n\n压缩 的安装程序已开始重新启动计算机。",
         MB_ICONINFORMATION,
         1641,
         {L"失败 0 项\r\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(m_log.c_str());
        ::DeleteFileW(m_options.strLogFile.c_str());
        m_names = c.names;
        m_nReportAnswer = IDYES;
        m_nRestarts = 0;
        Run(kInstallBatch, c.items);
        EXPECT_EQ(Log(), c.installed);
        EXPECT_EQ(m_report.strText, c.report + LogLine() + c.after);
        EXPECT_EQ(m_report.nType, c.nType);
        EXPECT_EQ(m_nRestarts, 0) << "the installer restarts the machine, not the program";
        EXPECT_EQ(BatchExitCode(m_report.arrFailed.size(), m_summary), c.nExitCode);
        const std::wstring log = BatchLog();
        for (const std::wstring& line : c.logLines)
            EXPECT_NE(log.find(line), std::wstring::npos) << line << "\n" << log;
    }
}

TEST_F(Batch, BusyInstallerIsStartedAgainUpToThreeTimes)
{
    // Busy for its first two runs, and busy for good.
    const std::wstring late = Installer(L"late.exe");
    const std::wstring never = Installer(L"never.exe");
    Run(0, {late + L" /S /busy=2", never + L" /S /exit=1618"});

    EXPECT_EQ(Count(Log(), L"late.exe|/S /busy=2\r\n"), 3u);
    EXPECT_EQ(Count(Log(), L"never.exe|/S /exit=1618\r\n"), 4u);
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{never});
    const std::wstring log = BatchLog();
    EXPECT_NE(log.find(L"成功 | " + late + L" | " + late + L" /S /busy=2 | " + late + L" |  | /S /busy=2 |  | 退出代码 0 (尝试 3 次) | "),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"退出代码 1618 (尝试 4 次) | "), std::wstring::npos) << log;
}

TEST_F(Batch, LongReportsListTwentyItemsAndTheLogHoldsThemAll)
{
    std::vector<std::wstring> items;
    std::wstring listed;
    for (int i = 1; i <= 25; ++i) {
        items.push_back(m_dir / (L"缺失 " + std::to_wstring(i) + L".exe"));
        listed += i <= 20 ? items.back() + L" (文件没找到)\n" : L"";
    }
    const std::wstring folder = m_dir / L"Packages";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    Run(1, items, folder);

    EXPECT_EQ(m_report.strText, L"某些项目保存失败, 请检查这些项目的文件路径!\n\n保存失败文件路径列表:\n" + listed +
                                    L"…… 等共 25 项\n\n文件保存路径: " + folder + L"\n" + LogLine());
    EXPECT_EQ(Count(BatchLog(), L" |  |  |  | " + folder + L" | Windows 错误 2"), 25u);
}

TEST_F(Batch, LogThatCannotBeWrittenNeverStopsTheBatch)
{
    const std::wstring setup = Installer(L"setup.exe");
    WriteFile(m_dir / L"not a folder", "");
    m_options.strLogFile = m_dir / L"not a folder\\batch.log";
    Run(0, {setup + L" /S"});

    EXPECT_EQ(Log(), L"setup.exe|/S\r\n");
    EXPECT_NE(m_summary.dwLogError, 0u);
    EXPECT_EQ(m_report.strText.find(L"所有项目安装完毕!\n\n日志文件无法写入: " + m_options.strLogFile + L" (Windows 错误 "),
              0u)
        << m_report.strText;
    EXPECT_EQ(BatchExitCode(0, m_summary), 1603);
}

} // namespace
} // namespace batch_testing

namespace batch_testing {
namespace {

using namespace testing_support;

TEST(BatchLogLines, EveryFieldSplitsAtItsBarsWithoutDoubt)
{
    struct Case {
        const char* fault;
        LogItem item;
        std::wstring line;
    };
    const auto item = [](std::wstring name, std::wstring line, std::wstring file, std::wstring drive,
                         std::wstring parameters) {
        LogItem result;
        result.strName = std::move(name);
        result.strLine = std::move(line);
        result.strFile = std::move(file);
        result.strDrive = std::move(drive);
        result.strParameters = std::move(parameters);
        result.bExitCode = true;
        result.nMilliseconds = 1200;
        result.outcome = ItemOutcome::Succeeded;
        return result;
    };
    LogItem copy = item(L"压缩", L"D:\\disc\\zip.exe", L"D:\\disc\\zip.exe", L"", L"");
    copy.bCopy = true;
    copy.bExitCode = false;
    copy.strTarget = L"C:\\pkg\\zip.exe";
    const Case cases[] = {
        {"a bar in a name", item(L"A|B", L"a.exe", L"C:\\a.exe", L"", L""),
         L"成功 | A%7CB | a.exe | C:\\a.exe |  |  |  | 退出代码 0 | 1.2 秒"},
        {"line separators in the catalogue's line",
         item(L"x", L"a.exe\r\n/S\u2028/Q\x85\t", L"C:\\a.exe", L"", L"/S"),
         L"成功 | x | a.exe%0D%0A/S%u2028/Q%85%09 | C:\\a.exe |  | /S |  | 退出代码 0 | 1.2 秒"},
        {"a percent sign, which starts every escape", item(L"x", L"%CurrDir%a.exe", L"C:\\a.exe", L"", L""),
         L"成功 | x | %25CurrDir%25a.exe | C:\\a.exe |  |  |  | 退出代码 0 | 1.2 秒"},
        {"a program other than the line's, found on another drive",
         item(L"Node", L"cdrom:\\Node.js 20\\node.msi /qn", L"E:\\Node.js", L"E:\\", L"20\\node.msi /qn"),
         L"成功 | Node | cdrom:\\Node.js 20\\node.msi /qn | E:\\Node.js | E:\\ | 20\\node.msi /qn |  | 退出代码 0 | 1.2 秒"},
        {"a copy and its target", copy,
         L"成功 | 压缩 | D:\\disc\\zip.exe | D:\\disc\\zip.exe |  |  | C:\\pkg\\zip.exe | 已复制 | 1.2 秒"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogItemLine(c.item), c.line) << c.fault;
        // Read back among a log's other lines, the line gives the item whole.
        const std::vector<LoggedItem> read =
            ReadLoggedItems(L"\xFEFFTovrin Quillset 1.0\r\n批处理: 软件安装\r\n" + c.line + L"\r\n结果: 共 1 项\r\n");
        ASSERT_EQ(read.size(), 1u) << c.fault;
        EXPECT_EQ(read[0].outcome, ItemOutcome::Succeeded) << c.fault;
        EXPECT_EQ(read[0].strName, c.item.strName) << c.fault;
        EXPECT_EQ(read[0].strLine, c.item.strLine) << c.fault;
        EXPECT_EQ(read[0].strNote, c.item.bCopy ? L"已复制" : L"退出代码 0") << c.fault;
    }
}

TEST(MachineLog, AdministratorsLogWhereUsersMakeNothingOthersInTheirOwnFolder)
{
    wchar_t szWindows[MAX_PATH + 1] = {};
    ::GetWindowsDirectoryW(szWindows, MAX_PATH);
    wchar_t szLocal[MAX_PATH + 1] = {};
    ::GetEnvironmentVariableW(L"LOCALAPPDATA", szLocal, MAX_PATH);
    const std::wstring folders[] = {std::wstring(szLocal) + L"\\Tovrin Quillset\\logs",
                                    std::wstring(szWindows) + L"\\Logs\\Tovrin Quillset"};
    for (const bool bAdministrator : {false, true}) {
        const std::wstring& expected = folders[bAdministrator ? 1 : 0];
        EXPECT_EQ(MachineLogFolder(bAdministrator), expected);
        CHeldFolder folder;
        ASSERT_TRUE(HoldMachineLogFolder(bAdministrator, folder)) << folder.Error();
        EXPECT_EQ(folder.Path(), expected);
    }
    EXPECT_EQ(DefaultLogFolder(), folders[RunsWithAdministratorRights() ? 1 : 0]);

    // The administrators' folder's access list as it reads back: SYSTEM may
    // do everything, and no group of ordinary users may add or change
    // anything. (Wine keeps an access list as the folder's Unix mode, so
    // that is what reads back here.)
    const CFileHandle held(::CreateFileW(folders[1].c_str(), READ_CONTROL,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(held);
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(held.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &pDacl,
                                nullptr, &pDescriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const CLocalMemory descriptor(pDescriptor);
    ASSERT_NE(pDacl, nullptr);
    bool bSystemFull = false;
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        void* pAce = nullptr;
        ASSERT_TRUE(::GetAce(pDacl, i, &pAce));
        const auto* pAllowed = static_cast<const ACCESS_ALLOWED_ACE*>(pAce);
        if (pAllowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID pSid = const_cast<DWORD*>(&pAllowed->SidStart);
        if (::IsWellKnownSid(pSid, WinLocalSystemSid))
            bSystemFull = (pAllowed->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
        for (const WELL_KNOWN_SID_TYPE users : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}) {
            if (::IsWellKnownSid(pSid, users)) {
                EXPECT_EQ(pAllowed->Mask & (FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_DATA | DELETE |
                                            FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER),
                          0u)
                    << "ordinary users may change the log folder";
            }
        }
    }
    EXPECT_TRUE(bSystemFull);
}

} // namespace
} // namespace batch_testing
