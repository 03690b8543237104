// Save batches: real files copied into a real folder.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_texts.h"
#include "shell/held_folder.h"
#include "shell/path_resolution.h"

#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

const wchar_t kSaveFailureHeader[] = L"某些项目保存失败, 请检查这些项目的文件路径!\n\n保存失败文件路径列表:\n";
// When every item was found, the report points at the reasons instead.
const wchar_t kSaveReasonsHeader[] = L"某些项目保存失败, 请查看各项后面的失败原因!\n\n保存失败列表:\n";

TEST_F(Batch, SaveBatchCopiesIntoTheFolderWithOrWithoutTrailingBackslash)
{
    const std::wstring zip = m_dir / L"Disc\\Zip Tool\\zip setup.exe";
    WriteFile(zip, "zip");
    const std::wstring first = m_dir / L"Disc\\A\\tool.exe";
    WriteFile(first, "first tool");
    const std::wstring second = m_dir / L"Disc\\B\\tool.exe";
    WriteFile(second, "second tool");
    const std::wstring folder = m_dir / L"Packages 2026";

    for (const std::wstring& savePath : {folder + L"\\", folder}) {
        WriteFile(folder + L"\\tool.exe", "older tool");
        WriteFile(folder + L"\\zip setup.exe", "older zip");
        ::DeleteFileW((folder + L"\\tool (2).exe").c_str());
        // Command-line items are split like install items. Files that were
        // there before the batch are replaced.
        Run(1, {zip + L" /S", first}, savePath);
        EXPECT_EQ(ReadFile(folder + L"\\zip setup.exe"), "zip") << savePath;
        EXPECT_EQ(ReadFile(folder + L"\\tool.exe"), "first tool") << savePath;
        EXPECT_TRUE(m_report.arrFailed.empty());
        // Items may come quicker than the window shows them: the last
        // caption is always shown, and the bar is at the end.
        const std::vector<std::wstring> events = Events();
        ASSERT_GE(events.size(), 6u);
        EXPECT_EQ(events[2], L"caption \"正在保存...0.0% \" at 0");
        EXPECT_EQ(events[events.size() - 3].find(L"caption \"正在保存...100.0% (2/2) " + first + L"\" at "), 0u);
        EXPECT_EQ(events.back(), L"report");
        EXPECT_EQ(m_report.strText, L"所有项目保存完毕!\n" + LogLine());
        EXPECT_EQ(m_report.strCaption, L"保存安装包");
        EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(m_report.hOwner, m_main.m_hWnd);
        EXPECT_EQ(m_report.nBarPos, 2);
    }
}

TEST_F(Batch, SaveBatchNeverReplacesAFileItWroteItself)
{
    // Three installers of one name (one in a Chinese folder), and the first
    // again under another spelling (an entry listed in two categories).
    const std::wstring folder = m_dir / L"安装包";
    WriteFile(folder + L"\\setup.exe", "before the batch");
    WriteFile(folder + L"\\setup (2).exe", "also before the batch");
    std::vector<std::wstring> items;
    for (const wchar_t* disc : {L"A", L"B", L"办公 软件"}) {
        items.push_back(m_dir / L"Disc\\" + disc + L"\\setup.exe");
        WriteFile(items.back(), ToUtf8(disc));
    }
    items.insert(items.begin() + 2, m_dir / L"Disc\\B\\..\\a\\SETUP.EXE");
    Run(1, items, folder);

    EXPECT_TRUE(m_report.arrFailed.empty());
    EXPECT_EQ(ReadFile(folder + L"\\setup.exe"), "A");
    EXPECT_EQ(ReadFile(folder + L"\\setup (2).exe"), "also before the batch");
    EXPECT_EQ(ReadFile(folder + L"\\setup (3).exe"), "B");
    EXPECT_EQ(FromUtf8(ReadFile(folder + L"\\setup (4).exe")), L"办公 软件");
    EXPECT_EQ(::GetFileAttributesW((folder + L"\\setup (5).exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(NumberedName(L"D:\\Soft.1\\readme", 2), L"D:\\Soft.1\\readme (2)");
}

TEST_F(Batch, SaveBatchNeverWritesAFileAnItemReadsAndSaysWhatItDid)
{
    // The technician's own tool.exe in the save folder is entry B's
    // installer; entry A, earlier, names another tool.exe on the disc.
    const std::wstring folder = m_dir / L"装机 包";
    const std::wstring disc = m_dir / L"Disc\\src\\tool.exe";
    const std::wstring own = folder + L"\\tool.exe";
    const std::wstring renamed = folder + L"\\tool (2).exe";
    struct Case {
        std::vector<std::wstring> items;
        std::vector<std::pair<std::wstring, std::string>> files; // afterwards
        std::vector<std::wstring> notes;
    };
    const Case cases[] = {
        {{disc, own}, {{own, "own"}, {renamed, "disc"}}, {NoteRenamed(disc, renamed), NoteAlreadyThere(own)}},
        {{own, disc}, {{own, "own"}, {renamed, "disc"}}, {NoteAlreadyThere(own), NoteRenamed(disc, renamed)}},
        {{own + L" /S", m_dir / L"装机 包\\.\\TOOL.EXE"}, {{own, "own"}, {renamed, ""}}, {NoteAlreadyThere(own)}},
        // A file no item reads is replaced, as ever.
        {{disc}, {{own, "disc"}, {renamed, ""}}, {}},
    };
    for (const Case& c : cases) {
        WriteFile(disc, "disc");
        WriteFile(own, "own");
        ::DeleteFileW(renamed.c_str());
        Run(1, c.items, folder);
        EXPECT_TRUE(m_report.arrFailed.empty());
        for (const auto& [path, bytes] : c.files)
            EXPECT_EQ(ReadFile(path), bytes) << path;
        std::wstring text = L"所有项目保存完毕!\n";
        for (const std::wstring& note : c.notes)
            text += L"\n" + note;
        if (!c.notes.empty())
            text += L"\n";
        EXPECT_EQ(m_report.strText, text + LogLine());
    }
}

TEST_F(Batch, SaveBatchNamesFailedSourcesAndTheFolder)
{
    const std::wstring present = m_dir / L"Disc\\present.exe";
    WriteFile(present, "present");
    const std::wstring folder = m_dir / L"Packages\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);

    // A folder of the same name stands where the copy would go.
    const std::wstring locked = m_dir / L"Disc\\locked.exe";
    WriteFile(locked, "new");
    ::CreateDirectoryW((folder + L"locked.exe").c_str(), nullptr);

    Run(1, {L" cdrom:\\setup\\absent.exe ", present, m_dir / L"Disc\\absent.exe", locked}, folder);
    const std::vector<std::wstring> failed{L"cdrom:\\setup\\absent.exe", m_dir / L"Disc\\absent.exe", locked};
    EXPECT_EQ(m_report.arrFailed, failed);
    EXPECT_EQ(ReadFile(folder + L"present.exe"), "present");
    // Each says why: a missing file, or the system's own words for its error.
    const std::wstring denied = WindowsErrorText(ERROR_ACCESS_DENIED);
    EXPECT_EQ(denied.find_first_of(L".\r\n\x3002"), std::wstring::npos) << denied;
    EXPECT_EQ(m_report.strText, kSaveFailureHeader + failed[0] + L" (文件没找到)\n" + failed[1] + L" (文件没找到)\n" +
                                    locked + L" (" + denied + L")\n\n文件保存路径: " + folder + L"\n" + LogLine());
    EXPECT_EQ(m_report.strCaption, L"保存安装包");
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONEXCLAMATION));

    // A folder that does not exist: the located source is reported, and no
    // folder is made on the way.
    const std::wstring missing = m_dir / L"No Such Folder";
    Run(1, {present}, missing);
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{present});
    const std::wstring noFolder = L" (" + WindowsErrorText(ERROR_PATH_NOT_FOUND) + L")\n";
    EXPECT_EQ(m_report.strText, kSaveReasonsHeader + present + noFolder + L"\n文件保存路径: " + missing + L"\n" + LogLine());
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);

    // Without a folder nothing is copied anywhere.
    Run(1, {present}, L"");
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{present});
    EXPECT_EQ(m_report.strText, kSaveReasonsHeader + present + noFolder + L"\n文件保存路径: \n" + LogLine());
}

TEST_F(Batch, SaveBatchCopiesAFileFoundByItsBareName)
{
    // An item without a folder (a catalogue entry without WorkingDir) is
    // found in the current folder under a name without any backslash; it
    // keeps that name in the folder, and the batch names the file it found
    // by its full path.
    const std::wstring folder = m_dir / L"Packages";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteFile(m_dir / L"Work\\setup.exe", "setup");
    wchar_t szOld[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szOld);
    ASSERT_TRUE(::SetCurrentDirectoryW((m_dir / L"Work").c_str()));
    Run(1, {L"setup.exe"}, folder);
    ::SetCurrentDirectoryW(szOld);

    EXPECT_TRUE(m_report.arrFailed.empty());
    EXPECT_EQ(ReadFile(folder + L"\\setup.exe"), "setup");
    EXPECT_EQ(Events()[3], L"caption \"正在保存...100.0% (1/1) " + (m_dir / L"Work\\setup.exe") + L"\" at 0");
}

TEST_F(Batch, SaveBatchWritesOnlyIntoTheFolderItHeldFromItsStart)
{
    // As the first item ends, the save folder is swapped for a link to a
    // folder the technician never chose, from the Linux side (as anyone who
    // may write the folder above it could): the second item must not land
    // there, and the log must not call it copied.
    const std::wstring folder = m_dir / L"Packages";
    const std::wstring other = m_dir / L"protected";
    WriteFile(other + L"\\second.exe", "not for the batch");
    WriteFile(folder + L"\\readme.txt", "");
    const std::wstring first = m_dir / L"Disc\\first.exe";
    const std::wstring second = m_dir / L"Disc\\second.exe";
    WriteFile(first, "first");
    WriteFile(second, "second");
    bool bSwapped = false;
    m_options.onItemEnded = [&](size_t nItem) {
        if (nItem == 0)
            bSwapped = SwapForLink(folder, other);
    };
    Run(kSaveBatch, {first, second}, folder);

    ASSERT_TRUE(bSwapped);
    EXPECT_EQ(ReadFile(other + L"\\second.exe"), "not for the batch");
    EXPECT_EQ(::GetFileAttributesW((other + L"\\first.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFile(folder + L"-moved\\first.exe"), "first");
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{second});
    const std::wstring log = BatchLog();
    EXPECT_NE(log.find(L"\r\n成功 | " + first + L" | " + first + L" | " + first + L" |  |  | " + folder +
                       L"\\first.exe | 已复制 | "),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n失败 | " + second + L" | " + second + L" | " + second + L" |  |  | " + folder +
                       L"\\second.exe | " + WindowsErrorText(kErrorStoppedOnLink) + L" | "),
              std::wstring::npos)
        << log;
}

} // namespace
} // namespace batch_testing
