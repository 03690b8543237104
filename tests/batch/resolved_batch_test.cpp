// Batches act on the items as they were resolved before the batch was
// asked for: a file put in an item's place afterwards is refused, never
// run or copied, and the report and the log say why.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_texts.h"

#include <functional>
#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

const std::wstring kReplaced = std::wstring(L"(") + kReplacedText + L")";

// Another file moved over the name, as anyone who can write the folder can.
void MoveOver(const std::wstring& path, const std::string& bytes)
{
    const std::wstring other = path + L".other";
    WriteFile(other, bytes);
    ASSERT_TRUE(::MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

std::string DemoInstaller()
{
    return ReadFile(ProgramFolder() + L"demo_installer.exe");
}

TEST_F(Batch, AnInstallRunsTheFilesItResolvedAndNoOthers)
{
    struct Case {
        const char* what;
        bool bSecondThere;             // when the items are resolved
        bool bChangeBeforeStart;       // else while the first item's caption is up
        std::wstring reportLine;       // after the second item's path
        std::wstring logReason;
    };
    const Case cases[] = {
        {"replaced after the question", true, true, L" " + kReplaced, kReplacedText},
        {"replaced while the first item runs", true, false, L" " + kReplaced, kReplacedText},
        {"put there after it was not found", false, false, L" /S (文件没找到)", L"Windows 错误 2"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring folder = m_dir / std::to_wstring(++n);
        const std::wstring first = folder + L"\\first.exe";
        const std::wstring second = folder + L"\\tool.exe";
        WriteFile(first, DemoInstaller());
        if (c.bSecondThere)
            WriteFile(second, DemoInstaller());
        ::DeleteFileW(m_log.c_str());
        m_names = {L"甲", L"乙"};
        const std::vector<ResolvedItem> items = ResolveItems(m_names, {first + L" /S", second + L" /S"});
        const auto change = [&] {
            if (c.bSecondThere)
                MoveOver(second, DemoInstaller());
            else
                WriteFile(second, DemoInstaller());
        };
        if (c.bChangeBeforeStart)
            change();
        bool bChanged = c.bChangeBeforeStart;
        m_onCaption = [&](const std::wstring& caption) {
            if (!bChanged && caption.find(first) != std::wstring::npos) {
                bChanged = true;
                change();
            }
        };
        RunResolved(kInstallBatch, items);
        EXPECT_TRUE(bChanged) << c.what;
        EXPECT_EQ(Log(), L"first.exe|/S\r\n") << c.what << ": the file put there never runs";
        EXPECT_NE(m_report.strText.find(L"\n乙 | " + second + c.reportLine + L"\n"), std::wstring::npos)
            << c.what << "\n" << m_report.strText;
        const std::wstring log = BatchLog();
        const size_t at = log.find(L"\r\n失败 | 乙 | " + second + L" /S | ");
        ASSERT_NE(at, std::wstring::npos) << c.what << "\n" << log;
        EXPECT_NE(log.substr(at, log.find(L"\r\n", at + 2) - at).find(L" | " + c.logReason), std::wstring::npos)
            << c.what << "\n" << log;
    }
}

TEST_F(Batch, ASaveCopiesTheFileItResolvedOrNothing)
{
    const std::wstring kept = m_dir / L"Disc\\kept.exe";
    const std::wstring swapped = m_dir / L"Disc\\swapped.exe";
    WriteFile(kept, "kept");
    WriteFile(swapped, "resolved");
    const std::wstring folder = m_dir / L"Packages";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    m_names = {L"留", L"换"};
    const std::vector<ResolvedItem> items = ResolveItems(m_names, {kept, swapped});
    MoveOver(swapped, "put there later");

    RunResolved(kSaveBatch, items, folder);

    EXPECT_EQ(ReadFile(folder + L"\\kept.exe"), "kept");
    EXPECT_EQ(::GetFileAttributesW((folder + L"\\swapped.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(m_report.strText.find(L"\n换 | " + swapped + L" " + kReplaced + L"\n"), std::wstring::npos)
        << m_report.strText;
    EXPECT_NE(BatchLog().find(L"\r\n失败 | 换 | " + swapped + L" | " + swapped + L" |  |  | " + folder +
                              L"\\swapped.exe | " + kReplacedText + L" | "),
              std::wstring::npos)
        << BatchLog();
}

TEST_F(Batch, ABatchFileCannotBeChangedWhileItsProcessReadsIt)
{
    // The batch file tries to add a line to itself as it runs, then notes
    // that it ran.
    const std::wstring script = m_dir / L"Setup\\self.cmd";
    const std::string text = "@echo rem added>>\"%~f0\"\r\n@echo ran>\"%~dp0ran.txt\"\r\n";
    WriteFile(script, text);

    Run(kInstallBatch, {script});

    EXPECT_EQ(ReadFile(m_dir / L"Setup\\ran.txt"), "ran\r\n");
    EXPECT_EQ(ReadFile(script), text);
}

} // namespace
} // namespace batch_testing
