// Folders written into while links are laid on the way, from the Linux side
// as anyone who can write a folder lays them, before the folder is held and
// while it is held.
#include "shell/held_folder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

// The names of every file and folder below folder, links not followed.
void FilesBelow(const std::wstring& folder, std::vector<std::wstring>& names)
{
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        names.push_back(name);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            FilesBelow(folder + L"\\" + name, names);
    } while (::FindNextFileW(find.Get(), &data));
}

TEST(HeldFolder, NoWriteEverLandsOutsideTheFolderThatWasHeld)
{
    struct Case {
        const char* what;
        // The folder written into, below the case's own folder.
        const wchar_t* folder;
        bool bCreate;
        // Links laid before the folder is held, and once it is held.
        std::function<bool(const TempDir&)> before;
        std::function<bool(const TempDir&)> whileHeld;
        DWORD dwHoldError; // 0: the folder is held
        bool bWritten;
    };
    const auto none = [](const TempDir&) { return true; };
    const Case cases[] = {
        {"the folder is a link", L"linked", false,
         [](const TempDir& dir) { return LayLink(dir / L"linked", dir / L"elsewhere"); }, none, kErrorStoppedOnLink,
         false},
        {"a folder above it is a link", L"up\\sub", false,
         [](const TempDir& dir) { return LayLink(dir / L"up", dir / L"elsewhere"); }, none, kErrorStoppedOnLink,
         false},
        {"a folder to be made lies behind a link", L"up\\new", true,
         [](const TempDir& dir) { return LayLink(dir / L"up", dir / L"elsewhere"); }, none, kErrorStoppedOnLink,
         false},
        {"the folder is swapped for a link once held", L"save", false, none,
         [](const TempDir& dir) { return SwapForLink(dir / L"save", dir / L"elsewhere"); }, 0, false},
        {"a folder above it is swapped for a link once held", L"a\\save", false, none,
         [](const TempDir& dir) { return SwapForLink(dir / L"a", dir / L"elsewhere"); }, 0, false},
        {"a link at the file's name", L"save", false,
         [](const TempDir& dir) { return LayLink(dir / L"save\\tool.exe", dir / L"elsewhere\\victim.txt"); }, none, 0,
         true},
        {"missing folders are made when asked", L"new\\deeper", true, none, none, 0, true},
        {"missing folders are not made unless asked", L"new\\deeper", false, none, none, ERROR_PATH_NOT_FOUND, false},
    };
    for (const Case& c : cases) {
        const TempDir dir;
        WriteFile(dir / L"elsewhere\\victim.txt", "victim");
        WriteFile(dir / L"elsewhere\\sub\\keep.txt", "keep");
        WriteFile(dir / L"elsewhere\\save\\keep.txt", "keep");
        WriteFile(dir / L"save\\keep.txt", "keep");
        WriteFile(dir / L"a\\save\\keep.txt", "keep");
        WriteFile(dir / L"source.exe", "the installer");
        ASSERT_TRUE(c.before(dir)) << c.what;

        CHeldFolder folder;
        EXPECT_EQ(folder.Hold(dir / c.folder, c.bCreate), c.dwHoldError == 0) << c.what;
        EXPECT_EQ(folder.Error(), c.dwHoldError) << c.what;
        ASSERT_TRUE(c.whileHeld(dir)) << c.what;
        const CFileHandle source = OpenForCopy(dir / L"source.exe");
        ASSERT_TRUE(source) << c.what;
        EXPECT_EQ(folder.CopyInto(source.Get(), L"tool.exe", false), c.bWritten) << c.what;
        if (c.bWritten) {
            EXPECT_EQ(ReadFile(dir / c.folder + L"\\tool.exe"), "the installer") << c.what;
        }

        std::vector<std::wstring> elsewhere;
        FilesBelow(dir / L"elsewhere", elsewhere);
        EXPECT_EQ(elsewhere.size(), 5u) << c.what << ": " << (elsewhere.empty() ? L"" : elsewhere.back());
        EXPECT_EQ(ReadFile(dir / L"elsewhere\\victim.txt"), "victim") << c.what;
    }
}

TEST(HeldFolder, NobodyRenamesOrRemovesAFolderOnTheHeldPath)
{
    const TempDir dir;
    ::CreateDirectoryW((dir / L"a").c_str(), nullptr);
    ::CreateDirectoryW((dir / L"a\\save").c_str(), nullptr);
    {
        CHeldFolder folder;
        ASSERT_TRUE(folder.Hold(dir / L"a\\save", false));
        EXPECT_EQ(folder.Path(), dir / L"a\\save");
        for (const wchar_t* held : {L"a\\save", L"a"}) {
            EXPECT_FALSE(::MoveFileW((dir / held).c_str(), (dir / L"moved").c_str())) << held;
            EXPECT_FALSE(::RemoveDirectoryW((dir / held).c_str())) << held;
        }
        // Files inside come and go as ever.
        const CFileHandle source = OpenForCopy(ProgramFolder() + L"demo_installer.exe");
        EXPECT_TRUE(folder.CopyInto(source.Get(), L"setup.exe", false));
        EXPECT_FALSE(folder.CopyInto(source.Get(), L"setup.exe", true));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_TRUE(::DeleteFileW((dir / L"a\\save\\setup.exe").c_str()));
    }
    EXPECT_TRUE(::MoveFileW((dir / L"a").c_str(), (dir / L"moved").c_str()));
}

// A save that keeps the disc's layout makes folders below its save folder:
// each level is made and held in turn, checked by its handle, and a link
// standing at a name is never gone through.
TEST(HeldFolder, FoldersBelowAHeldOneAreMadeAndHeldLevelByLevel)
{
    const TempDir dir;
    WriteFile(dir / L"elsewhere\\victim.txt", "victim");
    WriteFile(dir / L"save\\a file", "");
    CHeldFolder save;
    ASSERT_TRUE(save.Hold(dir / L"save", false));
    {
        CHeldFolder setup;
        CHeldFolder tool;
        ASSERT_TRUE(setup.HoldBelow(save, L"setup", true));
        ASSERT_TRUE(tool.HoldBelow(setup, L"Zip Tool", true));
        EXPECT_EQ(tool.Path(), dir / L"save\\setup\\Zip Tool");
        const CFileHandle source = OpenForCopy(ProgramFolder() + L"demo_installer.exe");
        EXPECT_TRUE(tool.CopyInto(source.Get(), L"zip setup.exe", false));
        EXPECT_EQ(ReadFile(dir / L"save\\setup\\Zip Tool\\zip setup.exe"),
                  ReadFile(ProgramFolder() + L"demo_installer.exe"));
        // The lowest level holds every level above it, whoever else lets go.
        setup.Release();
        save.Release();
        EXPECT_FALSE(::MoveFileW((dir / L"save\\setup").c_str(), (dir / L"moved").c_str()));
        EXPECT_FALSE(::MoveFileW((dir / L"save").c_str(), (dir / L"moved").c_str()));
        // Held again, a level that is there is held without being made.
        ASSERT_TRUE(save.Hold(dir / L"save", false));
        EXPECT_TRUE(setup.HoldBelow(save, L"SETUP", false));
    }
    ASSERT_TRUE(LayLink(dir / L"save\\linked", dir / L"elsewhere"));
    const struct {
        const wchar_t* name;
        bool bCreate;
        DWORD dwError;
    } refused[] = {
        {L"linked", true, kErrorStoppedOnLink},  {L"linked", false, kErrorStoppedOnLink},
        {L"a file", true, ERROR_DIRECTORY},      {L"missing", false, ERROR_PATH_NOT_FOUND},
        {L"", true, ERROR_INVALID_NAME},         {L"..", true, ERROR_INVALID_NAME},
        {L".", true, ERROR_INVALID_NAME},        {L"a\\b", true, ERROR_INVALID_NAME},
        {L"a/b", true, ERROR_INVALID_NAME},      {L"c:", true, ERROR_INVALID_NAME},
        {L"name.", true, ERROR_INVALID_NAME},    {L"name ", true, ERROR_INVALID_NAME},
    };
    for (const auto& c : refused) {
        CHeldFolder below;
        EXPECT_FALSE(below.HoldBelow(save, c.name, c.bCreate)) << c.name;
        EXPECT_EQ(below.Error(), c.dwError) << c.name;
        EXPECT_FALSE(below.IsHeld()) << c.name;
    }
    // Below a folder that is not held, nothing is made.
    CHeldFolder none;
    CHeldFolder below;
    EXPECT_FALSE(below.HoldBelow(none, L"new", true));
    std::vector<std::wstring> elsewhere;
    FilesBelow(dir / L"elsewhere", elsewhere);
    EXPECT_EQ(elsewhere, std::vector<std::wstring>{L"victim.txt"});
    EXPECT_EQ(::GetFileAttributesW((dir / L"save\\missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
