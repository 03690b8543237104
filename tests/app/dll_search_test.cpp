// Where the programs load DLLs from, read from the built executables'
// headers and tried with a DLL planted beside a copy of a program.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

uint32_t Le(const std::string& bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width && at + i < bytes.size(); ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// An executable's headers: the data directories and where an address lies
// in the file.
struct PeFile {
    std::string bytes;
    bool b64 = false;
    size_t directories = 0;
    size_t sections = 0;
    uint32_t sectionCount = 0;

    explicit PeFile(const std::wstring& path) : bytes(ReadFile(path))
    {
        const size_t pe = Le(bytes, 0x3C, 4);
        sectionCount = Le(bytes, pe + 6, 2);
        const size_t optional = pe + 24;
        b64 = Le(bytes, optional, 2) == 0x20B;
        directories = optional + (b64 ? 112 : 96);
        sections = optional + Le(bytes, pe + 20, 2);
    }
    uint32_t DirectoryAddress(int entry) const { return Le(bytes, directories + static_cast<size_t>(entry) * 8, 4); }
    uint32_t DirectorySize(int entry) const { return Le(bytes, directories + static_cast<size_t>(entry) * 8 + 4, 4); }
    size_t Offset(uint32_t rva) const
    {
        for (uint32_t i = 0; i < sectionCount; ++i) {
            const size_t header = sections + i * 40;
            const uint32_t address = Le(bytes, header + 12, 4);
            if (rva >= address && rva < address + Le(bytes, header + 16, 4))
                return rva - address + Le(bytes, header + 20, 4);
        }
        return bytes.size();
    }
    std::vector<std::string> ImportedDlls() const
    {
        std::vector<std::string> names;
        for (size_t at = Offset(DirectoryAddress(1)); at + 20 <= bytes.size() && Le(bytes, at + 12, 4); at += 20)
            names.push_back(bytes.c_str() + Offset(Le(bytes, at + 12, 4)));
        return names;
    }
};

TEST(DllSearch, BothProgramsCarryLoadFlagsForTheSystemFolderAndImportNoInstallerLibrary)
{
    constexpr int kLoadConfig = 10;
    for (const wchar_t* program : {L"Quillset.exe", L"QuillsetScan.exe"}) {
        SCOPED_TRACE(ToUtf8(program));
        const PeFile pe(ProgramFolder() + program);
        ASSERT_FALSE(pe.bytes.empty());
        ASSERT_NE(pe.DirectoryAddress(kLoadConfig), 0u);
        const size_t config = pe.Offset(pe.DirectoryAddress(kLoadConfig));
        const size_t flagsAt = pe.b64 ? 0x4E : 0x36;
        EXPECT_EQ(pe.DirectorySize(kLoadConfig), Le(pe.bytes, config, 4));
        ASSERT_GT(Le(pe.bytes, config, 4), flagsAt + 2);
        EXPECT_EQ(Le(pe.bytes, config + flagsAt, 2), static_cast<uint32_t>(LOAD_LIBRARY_SEARCH_SYSTEM32));
        const std::vector<std::string> dlls = pe.ImportedDlls();
        EXPECT_FALSE(dlls.empty());
        for (const std::string& dll : dlls)
            EXPECT_NE(::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, dll.c_str(), -1, "msi.dll", -1), CSTR_EQUAL);
    }
}

TEST(DllSearch, AnInstallerLibraryPlantedBesideTheBuilderIsNeverLoaded)
{
    TempDir dir;
    const std::wstring mark = dir / L"planted-loaded";
    const std::wstring plant = dir / L"msi.dll";
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"planted.dll").c_str(), plant.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"QuillsetScan.exe").c_str(), (dir / L"QuillsetScan.exe").c_str(),
                            FALSE));
    WriteFile(dir / L"package.msi", "no package");
    ::SetEnvironmentVariableW(L"QUILLSET_PLANTED_MARK", mark.c_str());
    // Wine prefers a DLL beside the program only when told, as Windows does.
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"msi=n,b");
    std::wstring command = L"\"" + (dir / L"QuillsetScan.exe") + L"\" --package-info \"" + (dir / L"package.msi") + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 dir.Path().c_str(), &si, &pi));
    const CKernelHandle process(pi.hProcess);
    const CKernelHandle thread(pi.hThread);
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
    ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 1u); // the system's library read the file and found no package
    EXPECT_EQ(::GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES);

    // The plant does leave its mark when something loads it (under a name
    // Wine has no DLL of its own for).
    const std::wstring control = dir / L"plant-control.dll";
    ASSERT_TRUE(::CopyFileW(plant.c_str(), control.c_str(), FALSE));
    {
        const CLibrary loaded(::LoadLibraryW(control.c_str()));
        ASSERT_TRUE(loaded);
    }
    ::SetEnvironmentVariableW(L"QUILLSET_PLANTED_MARK", nullptr);
    EXPECT_NE(::GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
