// Where the programs load DLLs from, as the built executables' headers say.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

TEST(DllSearch, BothProgramsCarryLoadFlagsForTheSystemFolderAndImportNoInstallerLibrary)
{
    for (const wchar_t* program : {L"Quillset.exe", L"QuillsetScan.exe"}) {
        SCOPED_TRACE(ToUtf8(program));
        const std::string pe = ReadFile(ProgramFolder() + program);
        auto le = [&](size_t at, size_t width) {
            uint32_t value = 0;
            for (size_t i = 0; i < width && at + i < pe.size(); ++i)
                value |= static_cast<uint32_t>(static_cast<unsigned char>(pe[at + i])) << (8 * i);
            return value;
        };
        const size_t header = le(0x3C, 4);
        const bool b64 = le(header + 24, 2) == 0x20B;
        const size_t directories = header + 24 + (b64 ? 112 : 96);
        const size_t sections = header + 24 + le(header + 20, 2);
        auto offset = [&](uint32_t rva) {
            for (size_t at = sections; at < sections + le(header + 6, 2) * 40; at += 40) {
                if (rva >= le(at + 12, 4) && rva < le(at + 12, 4) + le(at + 16, 4))
                    return rva - le(at + 12, 4) + le(at + 20, 4);
            }
            return static_cast<uint32_t>(pe.size());
        };
        // The load configuration (entry 10) and its dependent-load flags.
        const uint32_t config = offset(le(directories + 80, 4));
        const size_t flagsAt = b64 ? 0x4E : 0x36;
        ASSERT_LT(config, pe.size());
        EXPECT_EQ(le(directories + 84, 4), le(config, 4));
        ASSERT_GT(le(config, 4), flagsAt + 2);
        EXPECT_EQ(le(config + flagsAt, 2), static_cast<uint32_t>(LOAD_LIBRARY_SEARCH_SYSTEM32));
        // The imports (entry 1) name DLLs, the installer library not among them.
        int nDlls = 0;
        for (uint32_t at = offset(le(directories + 8, 4)); at + 20 <= pe.size() && le(at + 12, 4); at += 20, ++nDlls)
            EXPECT_NE(::lstrcmpiA(pe.c_str() + offset(le(at + 12, 4)), "msi.dll"), 0);
        EXPECT_GT(nDlls, 3);
    }
}

} // namespace
