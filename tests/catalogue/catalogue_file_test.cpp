// The catalogue file beside the program, and files that are not what they
// should be: what the reader and the program's start make of them.
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "tests/catalogue/catalogue_reading.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
using namespace catalogue_testing;

TEST(ProfilePath, BesideTheExecutableWithTheExtensionReplaced)
{
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Quillset.exe"), L"C:\\Disc\\Quillset.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Other.EXE"), L"C:\\Disc\\Other.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Other"), L"C:\\Disc\\Other.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\v1.2\\Setup"), L"C:\\v1.2\\Setup.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\a.b.exe"), L"C:\\Disc\\a.b.INI");
    EXPECT_EQ(ProfilePathFor(L"\\\\server\\share\\\u5B89\u88C5.exe"), L"\\\\server\\share\\\u5B89\u88C5.INI");
    EXPECT_EQ(ProfilePathFor(L"Quillset.exe"), L"");
    EXPECT_EQ(ProfilePathFor(L""), L"");
    EXPECT_EQ(ExecutableFolder(L"C:\\Disc\\Quillset.exe"), L"C:\\Disc\\");
    EXPECT_EQ(ExecutableFolder(L"Quillset.exe"), L"");

    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\";
    EXPECT_EQ(ProfilePathFor(deep + L"Quillset.exe"), deep + L"Quillset.INI");
    EXPECT_EQ(ExecutableFolder(deep + L"Quillset.exe"), deep);
}

TEST(ProfilePath, TheRunningExecutableIsFoundWhole)
{
    const std::wstring path = RunningExecutablePath();
    EXPECT_EQ(ExecutableFolder(path), ProgramFolder());
    EXPECT_EQ(path.substr(ExecutableFolder(path).size()), L"catalogue_tests.exe");
    EXPECT_EQ(ProfilePathFor(path), ProgramFolder() + L"catalogue_tests.INI");
}

// Names and sizes of everything in a folder, and the bytes of its files.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder)
{
    std::map<std::wstring, std::string> content;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return content;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        content[name] = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "<folder>" : ReadFile(folder + L"\\" + name);
    } while (::FindNextFileW(find.Get(), &data));
    return content;
}

// Reads a catalogue from a hostile file and checks that nothing was written.
void ReadHostile(CatalogueSettings& s, const TempDir& dir)
{
    const auto before = Snapshot(dir.Path());
    ReadFrom(s, dir / L"Quillset.INI");
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(HostileFiles, BinaryGarbageAndATruncatedUtf16File)
{
    std::mt19937 random(20260);
    for (const char* const prefix : {"", "\xFF\xFE", "\xEF\xBB\xBF", "\xFE\xFF"}) {
        TempDir dir;
        std::string bytes = prefix;
        for (int i = 0; i < 200000; ++i)
            bytes.push_back(static_cast<char>(random() & 0xFF));
        WriteFile(dir / L"Quillset.INI", bytes);
        CatalogueSettings s;
        ReadHostile(s, dir);
        ASSERT_NE(s.Categories, nullptr);
    }

    TempDir dir;
    const std::string full = ToUtf16LeWithBom(kChineseCatalogue);
    // Cut in the middle of a character of the last line.
    WriteFile(dir / L"Quillset.INI", full.substr(0, full.size() - 7));
    CatalogueSettings s;
    ReadHostile(s, dir);
    EXPECT_EQ(s.TitleText, L"\u88C5\u673A\u5149\u76D8 2026");
    ASSERT_EQ(CategoryNames(s).size(), 2u);
    EXPECT_EQ(s.Categories[0].Entries[1]->Description, L"\u538B\u7F29\u4E0E");
}

TEST(HostileFiles, TenThousandSectionsAndAFourMegabyteValue)
{
    TempDir dir;
    std::wstring text = L"[Config]\r\nTitleText=" + std::wstring(4 * 1024 * 1024, L'v') +
                        L"\r\n[Type]\r\nSort1=Big\r\n[Big.List]\r\n";
    for (int i = 1; i <= 10000; ++i)
        text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\r\n";
    for (int i = 1; i <= 10000; ++i)
        text += L"[E" + std::to_wstring(i) + L"]\r\nAutoInstall=e" + std::to_wstring(i) + L".exe\r\n";
    WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(text));
    CatalogueSettings s;
    ReadHostile(s, dir);
    EXPECT_EQ(s.TitleText, std::wstring(4095, L'v'));
    ASSERT_EQ(EntryNames(s.Categories[0]).size(), 10000u);
    EXPECT_EQ(s.Categories[0].Entries[9999]->AutoInstall, L"e10000.exe");
}

TEST(HostileFiles, AFolderOrALockedFileReadsAsMissing)
{
    TempDir folder;
    ::CreateDirectoryW((folder / L"Quillset.INI").c_str(), nullptr);
    CatalogueSettings s;
    ReadHostile(s, folder);
    EXPECT_EQ(s.TitleText, L"Tovrin Quillset");
    EXPECT_TRUE(CategoryNames(s).empty());

    TempDir locked;
    WriteFile(locked / L"Quillset.INI", ToUtf16LeWithBom(kChineseCatalogue));
    CFileHandle lock(::CreateFileW((locked / L"Quillset.INI").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    CatalogueSettings l;
    ReadFrom(l, locked / L"Quillset.INI");
    EXPECT_EQ(l.TitleText, L"Tovrin Quillset");
    EXPECT_TRUE(CategoryNames(l).empty());
    lock.Reset();
    EXPECT_EQ(ReadFile(locked / L"Quillset.INI"), ToUtf16LeWithBom(kChineseCatalogue));
}

// The program's caption once its main window shows, after the notice of a
// catalogue that gives no software, if one comes; the program is closed.
std::wstring ShownTitle(const std::wstring& exe, const std::wstring& currentDir)
{
    RunningProgram program(exe, currentDir);
    if (!program.Started())
        return L"<not started>";
    HWND hMain = program.MainWindow();
    if (hMain && !MessageBoxText(hMain).empty()) {
        const HWND hNotice = hMain;
        ::PostMessageW(::GetDlgItem(hNotice, IDOK), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        if (!PumpUntil([&] { return !::IsWindow(hNotice); }))
            return L"<notice stays>";
        hMain = program.MainWindow();
    }
    if (!hMain)
        return L"<no window>";
    const std::wstring title = Caption(hMain);
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 0;
    program.WaitForExit(10000, &exitCode);
    return title;
}

TEST(ProgramStart, ReadsTheFileNamedAfterItselfBesideItself)
{
    TempDir disc;
    TempDir current;
    const std::wstring exe = CopyProgramTo(disc, L"Other.exe");
    WriteFile(disc / L"Other.INI", ToCodePage(L"[Config]\r\nTitleText=\u5149\u76D8\u65C1\u7684\u76EE\u5F55\r\n", 936));
    WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=wrong name\r\n"));
    WriteFile(current / L"Other.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=current directory\r\n"));
    EXPECT_EQ(ShownTitle(exe, current.Path()), L"\u5149\u76D8\u65C1\u7684\u76EE\u5F55");
}

TEST(ProgramStart, AFolderOrALockedFileInPlaceOfTheCatalogueGivesTheDefaultTitle)
{
    TempDir disc;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    ::CreateDirectoryW((disc / L"Quillset.INI").c_str(), nullptr);
    EXPECT_EQ(ShownTitle(exe, disc.Path()), L"Tovrin Quillset");

    TempDir locked;
    const std::wstring lockedExe = CopyProgramTo(locked, L"Quillset.exe");
    WriteFile(locked / L"Quillset.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=locked away\r\n"));
    CFileHandle lock(::CreateFileW((locked / L"Quillset.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(ShownTitle(lockedExe, locked.Path()), L"Tovrin Quillset");
}

// Collects the captions of a window's children.
BOOL CALLBACK CollectCaption(HWND hChild, LPARAM lp)
{
    reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(Caption(hChild));
    return TRUE;
}

TEST(ProgramStart, ACatalogueOverTheBoundsIsShownUpToThemAfterANotice)
{
    TempDir disc;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(ListedTwice(Numbered(kMaxCategories + 1), 0, 0)));
    RunningProgram program(exe, disc.Path());
    const HWND hNotice = program.MainWindow();
    ASSERT_NE(hNotice, nullptr);
    EXPECT_EQ(Caption(hNotice), L"\u5927\u5149\u76D8");
    std::vector<std::wstring> texts;
    ::EnumChildWindows(hNotice, &CollectCaption, reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(std::find(texts.begin(), texts.end(), CutShortNotice()), texts.end());
    ::SendMessageW(::GetDlgItem(hNotice, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hNotice); }));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(program.MainWindow(), 1000), LVM_GETITEMCOUNT, 0, 0),
              LRESULT{kMaxCategories + 1});
}

// Wine starts programs whose path is at most 259 characters long; an
// executable named without extension at that length has a configuration file
// whose path is longer than MAX_PATH.
TEST(ProgramStart, PathsAtTheLengthLimitStillFindTheFile)
{
    TempDir base;
    for (const std::wstring extension : {L"", L".exe"}) {
        const std::wstring folder = base / (L"long" + extension);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const size_t nameLength = MAX_PATH - 1 - folder.size() - 1 - extension.size();
        const std::wstring stem = folder + L"\\" + std::wstring(nameLength, L'q');
        const std::wstring exe = stem + extension;
        ASSERT_EQ(exe.size(), static_cast<size_t>(MAX_PATH - 1));
        ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"Quillset.exe").c_str(), exe.c_str(), FALSE));
        WriteFile(L"\\\\?\\" + stem + L".INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=\u5F88\u957F\r\n"));
        EXPECT_EQ(ShownTitle(exe, base.Path()), L"\u5F88\u957F") << ToUtf8(exe);
        ::DeleteFileW((L"\\\\?\\" + stem + L".INI").c_str());
    }
}

} // namespace
