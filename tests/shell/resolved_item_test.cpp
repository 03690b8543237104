// Items looked up once: the file found, by its final path and identity, and
// the check just before it is used that it is still that file, after which
// nobody can change it.
#include "shell/resolved_item.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

using namespace testing_support;

// Another file moved over the name: what anyone who can write the folder
// does between a look and an act.
void MoveOver(const std::wstring& path, const std::string& bytes)
{
    const std::wstring other = path + L".other";
    WriteFile(other, bytes);
    ASSERT_TRUE(::MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

TEST(ResolvedItems, AFileThatIsNoLongerTheOneFoundIsRefused)
{
    struct Case {
        const char* what;
        std::function<CFileHandle(const std::wstring&)> change;
        bool bHeld;
        DWORD dwError;
    };
    const Case cases[] = {
        {"left alone", [](const std::wstring&) { return CFileHandle(); }, true, 0},
        {"rewritten in place", [](const std::wstring& path) {
             WriteFile(path, "new bytes");
             return CFileHandle();
         }, false, kErrorFileReplaced},
        {"another file moved over it", [](const std::wstring& path) {
             MoveOver(path, "MZ other");
             return CFileHandle();
         }, false, kErrorFileReplaced},
        {"deleted", [](const std::wstring& path) {
             ::DeleteFileW(path.c_str());
             return CFileHandle();
         }, false, kErrorFileReplaced},
        {"a folder in its place", [](const std::wstring& path) {
             ::DeleteFileW(path.c_str());
             ::CreateDirectoryW(path.c_str(), nullptr);
             return CFileHandle();
         }, false, kErrorFileReplaced},
        {"open for writing elsewhere", [](const std::wstring& path) {
             return CFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
         }, false, ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::wstring path = dir / L"Soft\\setup.exe";
        WriteFile(path, "MZ setup");
        const ResolvedItem item = ResolveItem(L"压缩", path + L" /S");
        ASSERT_TRUE(item.bFound) << c.what;
        const CFileHandle kept = c.change(path);
        const CHeldFile held(item);
        EXPECT_EQ(held.Held(), c.bHeld) << c.what;
        EXPECT_EQ(held.Error(), c.dwError) << c.what;
    }
}

TEST(ResolvedItems, AHeldFileIsReadButNeitherWrittenNorReplacedNorMovedUntilLetGo)
{
    TempDir dir;
    const std::wstring path = dir / L"setup.msi";
    WriteFile(path, "package");
    const ResolvedItem item = ResolveItem(L"", path);
    CHeldFile held(item);
    ASSERT_TRUE(held.Held());
    const std::pair<const char*, std::function<bool()>> attempts[] = {
        {"written", [&] {
             return static_cast<bool>(CFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                                OPEN_EXISTING, 0, nullptr)));
         }},
        {"deleted", [&] { return ::DeleteFileW(path.c_str()) != FALSE; }},
        {"moved away", [&] { return ::MoveFileW(path.c_str(), (dir / L"moved.msi").c_str()) != FALSE; }},
        {"replaced", [&] {
             WriteFile(dir / L"other.msi", "other");
             return ::MoveFileExW((dir / L"other.msi").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
         }},
    };
    for (const auto& [what, attempt] : attempts)
        EXPECT_FALSE(attempt()) << what;
    // Its process reads it meanwhile.
    EXPECT_EQ(ReadFile(path), "package");
    held.Release();
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST(ResolvedItems, AFileInTheSystemFolderIsHeldAndStartedAsItIsInEitherBuild)
{
    // A 32-bit program on 64-bit Windows names the real system folder
    // "Sysnative"; the file found there must be the one held.
    wchar_t szSystem[MAX_PATH] = {};
    wchar_t szWindows[MAX_PATH] = {};
    ASSERT_NE(::GetSystemDirectoryW(szSystem, MAX_PATH), 0u);
    ASSERT_NE(::GetWindowsDirectoryW(szWindows, MAX_PATH), 0u);
    const std::wstring file = szSystem + std::wstring(L"\\quillset-held.exe");
    BOOL bWow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &bWow64);
    PVOID pRedirection = nullptr;
    if (bWow64)
        ::Wow64DisableWow64FsRedirection(&pRedirection);
    WriteFile(file, "MZ");
    if (bWow64)
        ::Wow64RevertWow64FsRedirection(pRedirection);

    const ResolvedItem item = ResolveItem(L"", file + L" /S");
    EXPECT_TRUE(item.bFound);
    EXPECT_EQ(item.strFile, bWow64 ? szWindows + std::wstring(L"\\Sysnative\\quillset-held.exe") : file);
    CHeldFile held(item);
    EXPECT_TRUE(held.Held()) << held.Error();
    held.Release();
    ::DeleteFileW(item.strFile.c_str());
}

// The shell_tests_links entry plants "linked", a link to the folder
// "elsewhere": an item is found at the end of the link, and a file held
// there stays the one found.
TEST(LinkedTargets, AnItemBehindALinkIsTheFileAtItsEnd)
{
    if (!std::getenv("QUILLSET_LINK_FIXTURE"))
        GTEST_SKIP() << "run by the shell_tests_links entry, which plants the links";
    const std::wstring fixture = ProgramFolder() + L"link-fixture\\";
    WriteFile(fixture + L"elsewhere\\sub\\found.exe", "MZ");
    const ResolvedItem item = ResolveItem(L"", fixture + L"linked\\sub\\found.exe /S");
    EXPECT_TRUE(item.bFound);
    EXPECT_EQ(item.strFile, fixture + L"elsewhere\\sub\\found.exe");
    EXPECT_EQ(item.strParameters, L"/S");
    EXPECT_TRUE(CHeldFile(item).Held());
    ::DeleteFileW((fixture + L"elsewhere\\sub\\found.exe").c_str());
}

} // namespace
