// Whether an installer can run on this Windows, told from its program
// header: the programs of both builds of this project, read as installers.
#include "shell/pe_image.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

// The machine a program file's header names; 0 when it is no program.
uint16_t MachineOf(const std::wstring& path)
{
    CFileBytes file;
    DWORD dwError = 0;
    PeImage image;
    if (!file.Open(path, &dwError) || ReadPeImage(file, image) != PeOutcome::Program)
        return 0;
    return image.machine;
}

TEST(ProgramHeader, ASixtyFourBitInstallerRunsOnSixtyFourBitWindowsOnly)
{
    // This build's program, and the other build's: its build folder is
    // this one's name with "-x86" added or taken away.
    std::wstring folder = ProgramFolder();
    folder.pop_back();
    if (folder.ends_with(L"-x86"))
        folder.resize(folder.size() - 4);
    const std::wstring x64 = folder + L"\\Quillset.exe";
    const std::wstring x86 = folder + L"-x86\\Quillset.exe";
    if (::GetFileAttributesW(x64.c_str()) == INVALID_FILE_ATTRIBUTES ||
        ::GetFileAttributesW(x86.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "both builds are needed";
    const uint16_t machine64 = MachineOf(x64);
    const uint16_t machine32 = MachineOf(x86);
    EXPECT_EQ(machine64, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(machine32, IMAGE_FILE_MACHINE_I386);
    EXPECT_FALSE(MachineRunsOn(machine64, false));
    EXPECT_TRUE(MachineRunsOn(machine64, true));
    EXPECT_TRUE(MachineRunsOn(machine32, false));
    EXPECT_TRUE(MachineRunsOn(machine32, true));
    // A package or any other file is left to Windows.
    EXPECT_TRUE(MachineRunsOn(MachineOf(ProgramFolder() + L"demo-disc\\Quillset.INI"), false));
    // Wine is 64-bit here, as the x86 build sees it too.
    EXPECT_TRUE(WindowsIs64Bit());
}

} // namespace
