// Deployment tools' runs that meet another batch, a hung installer or a
// save folder the batch could not write into.
#include "tests/app/unattended_fixture.h"

#include <chrono>

namespace {

using namespace unattended_testing;

// A hung installer (one that waits for an answer nobody sees) is ended with
// the helper it has started once its /timeout: is up, and the batch goes
// on; run as a deployment tool runs it, outside any job and inside one of
// the tool's own (the installer's job is then nested in it).
TEST_F(Unattended, AHungInstallerIsEndedWithItsHelperWhenItsTimeIsUp)
{
    const std::wstring log = m_elsewhere / L"batch.log";
    CKernelHandle toolsJob;
    for (const bool bInToolsJob : {false, true}) {
        SCOPED_TRACE(bInToolsJob ? "inside a deployment tool's job" : "outside any job");
        if (bInToolsJob) {
            // Whatever this test program starts from now on runs in it.
            toolsJob.Reset(::CreateJobObjectW(nullptr, nullptr));
            ASSERT_TRUE(::AssignProcessToJobObject(toolsJob.Get(), ::GetCurrentProcess()));
        }
        ::DeleteFileW((m_disc / L"install.log").c_str());
        EXPECT_EQ(Run(L"/auto /quiet /select:挂起;压缩 /timeout:3 /log:" + log), 1603u) << Output();
        EXPECT_TRUE(PumpUntil([] { return !ProcessRunning(L"hang.exe"); }))
            << "the installer or its helper runs on: " << ReadFile(m_pids);
        EXPECT_EQ(Installed(), L"zip.exe|/S\r\n") << "the batch goes on after the item that was ended";
        const std::wstring written = FromUtf8(ReadFile(log));
        const std::wstring hang = m_disc / L"setup\\hang.exe";
        EXPECT_NE(written.find(L"\r\n失败 | 挂起 | " + hang + L" /S | " + hang +
                               L" |  | /S |  | 超过规定时间, 已结束安装程序及其启动的所有进程 | "),
                  std::wstring::npos)
            << written;
        EXPECT_NE(written.find(L"\r\n成功 | 压缩 | "), std::wstring::npos) << written;
    }
    // The switch takes whole seconds, and only with /auto.
    for (const wchar_t* arguments : {L"/auto /quiet /timeout:0", L"/auto /quiet /timeout:1.5", L"/auto /quiet /timeout:",
                                     L"/save:x /quiet /timeout:5"})
        EXPECT_EQ(Run(arguments), 87u) << arguments;
}

// One batch at a time on a machine: a second command line is refused with
// 1618 while the first runs (its installer hangs), and runs once the first
// program has gone, even when it was ended without letting go.
TEST_F(Unattended, ASecondBatchIsRefusedWhileOneRuns)
{
    const RunningProgram first(m_exe, m_elsewhere.Path(), L"/auto /quiet /select:挂起 /log:" + (m_elsewhere / L"1.log"));
    ASSERT_TRUE(PumpUntil([&] { return ProcessIdsIn(m_pids).size() == 2; }, std::chrono::seconds(30)))
        << "the first batch's installer has started";
    const std::wstring log = m_elsewhere / L"2.log";
    EXPECT_EQ(Run(L"/auto /quiet /select:压缩 /log:" + log), 1618u) << Output();
    EXPECT_EQ(Run(L"/save:" + (m_elsewhere / L"pkg") + L" /quiet /select:压缩"), 1618u) << Output();
    EXPECT_EQ(Installed(), L"");
    EXPECT_EQ(::GetFileAttributesW((m_elsewhere / L"pkg").c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was made";
    EXPECT_NE(Output().find(L"本机已有另一个安装或保存批处理在运行"), std::wstring::npos) << Output();
    EXPECT_NE(FromUtf8(ReadFile(log)).find(L"本机已有另一个安装或保存批处理在运行"), std::wstring::npos);
    // The first program ended as a task manager ends it.
    {
        const CKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first.ProcessId()));
        ASSERT_TRUE(process && ::TerminateProcess(process.Get(), 1));
        ::WaitForSingleObject(process.Get(), 10000);
    }
    EXPECT_EQ(Run(L"/auto /quiet /select:压缩 /log:" + log), 0u) << Output();
    EXPECT_EQ(Installed(), L"zip.exe|/S\r\n");
}

// A /save: folder the batch could not write into is refused before any
// copy, with the reason, where a batch would fail every item.
TEST_F(Unattended, ASaveFolderThatCannotTakeTheCopiesIsRefusedBeforeTheBatch)
{
    WriteFile(m_elsewhere / L"protected\\keep.txt", "");
    ::CreateDirectoryW((m_elsewhere / L"public").c_str(), nullptr);
    ASSERT_TRUE(LayLink(m_elsewhere / L"public\\linked", m_elsewhere / L"protected"));
    WriteFile(m_elsewhere / L"a file", "");
    const struct {
        std::wstring folder;
        std::wstring reason;
    } cases[] = {
        {m_elsewhere / L"public\\linked\\pkg", L"它本身或它所在的文件夹是链接 (符号链接或交接点), 为安全起见不向其中保存"},
        {m_elsewhere / L"a file", L"这不是文件夹"},
    };
    const std::wstring log = m_elsewhere / L"batch.log";
    for (const auto& c : cases) {
        EXPECT_EQ(Run(L"\"/save:" + c.folder + L"\" /quiet /select:压缩 /log:" + log), 1603u) << Output();
        const std::wstring told = L"不能保存到此文件夹: " + c.folder + L": " + c.reason;
        EXPECT_NE(Output().find(told), std::wstring::npos) << Output();
        const std::wstring written = FromUtf8(ReadFile(log));
        EXPECT_NE(written.find(told + L"\r\n什么也没有运行。退出代码 1603\r\n"), std::wstring::npos) << written;
    }
    EXPECT_EQ(::GetFileAttributesW((m_elsewhere / L"protected\\pkg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFile(m_elsewhere / L"a file"), "");
}

} // namespace
