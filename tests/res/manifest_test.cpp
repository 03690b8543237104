// The manifest each build carries, read out of the built executables as
// Windows reads it: its assembly names the architecture of the image it is
// in, and apart from that the builds carry the same manifest.
#include "platform/handles.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

// The machine an image is built for, from its file header; 0 when the file
// is no image.
WORD ImageMachine(const std::wstring& path)
{
    const std::string bytes = ReadFile(path);
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER))
        return 0;
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, bytes.data(), sizeof(dos));
    const size_t at = static_cast<size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || at + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) > bytes.size())
        return 0;
    DWORD signature = 0;
    std::memcpy(&signature, bytes.data() + at, sizeof(signature));
    IMAGE_FILE_HEADER header{};
    std::memcpy(&header, bytes.data() + at + sizeof(DWORD), sizeof(header));
    return signature == IMAGE_NT_SIGNATURE ? header.Machine : 0;
}

// The manifest the process is made from (resource 1 of type RT_MANIFEST).
std::string Manifest(const std::wstring& path)
{
    const CLibrary module(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module)
        return {};
    const HRSRC hInfo = ::FindResourceW(module.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    const HGLOBAL hData = hInfo ? ::LoadResource(module.Get(), hInfo) : nullptr;
    const void* pData = hData ? ::LockResource(hData) : nullptr;
    return pData ? std::string(static_cast<const char*>(pData), ::SizeofResource(module.Get(), hInfo)) : std::string();
}

// The value of the processorArchitecture attribute of the manifest's own
// assembly identity (the first one), cut out of the text; "" when it has
// none.
std::string CutArchitecture(std::string& manifest)
{
    const size_t identity = manifest.find("<assemblyIdentity");
    const size_t end = manifest.find('>', identity);
    const std::string attribute = " processorArchitecture=\"";
    const size_t at = manifest.find(attribute, identity);
    if (identity == std::string::npos || at == std::string::npos || at > end)
        return "";
    const size_t valueAt = at + attribute.size();
    const size_t valueEnd = manifest.find('"', valueAt);
    const std::string value = manifest.substr(valueAt, valueEnd - valueAt);
    manifest.erase(at, valueEnd + 1 - at);
    return value;
}

TEST(Manifest, EachBuildNamesItsOwnArchitectureAndNothingElseDiffers)
{
    const struct {
        const char* name;
        std::wstring exe;
    } builds[] = {
        {"this build", ProgramFolder() + L"Quillset.exe"},
        {"the other build", QUILL_OTHER_BUILD_EXE},
    };
    std::vector<std::string> rests;
    for (const auto& build : builds) {
        SCOPED_TRACE(build.name);
        const WORD machine = ImageMachine(build.exe);
        if (machine == 0 && &build != &builds[0]) {
            // Only one build made so far: the run of both builds checks them together.
            std::printf("no other build at %s\n", ToUtf8(build.exe).c_str());
            continue;
        }
        ASSERT_TRUE(machine == IMAGE_FILE_MACHINE_I386 || machine == IMAGE_FILE_MACHINE_AMD64) << machine;
        std::string manifest = Manifest(build.exe);
        ASSERT_NE(manifest.find("<assembly "), std::string::npos) << manifest;
        const std::string architecture = CutArchitecture(manifest);
        // Named, it is the image's own; left out, Windows takes the image's.
        if (!architecture.empty()) {
            EXPECT_EQ(architecture, machine == IMAGE_FILE_MACHINE_I386 ? "x86" : "amd64");
        }
        // The common controls of any architecture serve both.
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"\n"
                                "                        processorArchitecture=\"*\""),
                  std::string::npos)
            << manifest;
        rests.push_back(manifest);
    }
    if (rests.size() == 2) {
        EXPECT_EQ(rests[0], rests[1]) << "the builds' manifests differ beyond the architecture";
    }
}

// Windows 10 (1703) on takes the window's own monitor's scale (per-monitor
// v2); 8.1 to 1607 take per-monitor; Vista to 8 read the older switch.
TEST(Manifest, DeclaresPerMonitorAwarenessWithTheOlderSwitches)
{
    const std::string manifest = Manifest(ProgramFolder() + L"Quillset.exe");
    const auto value = [&](const std::string& element) {
        const size_t open = manifest.find("<" + element + " ");
        const size_t from = manifest.find('>', open);
        const size_t to = manifest.find("</" + element + ">", from);
        return open == std::string::npos || to == std::string::npos ? std::string()
                                                                     : manifest.substr(from + 1, to - from - 1);
    };
    EXPECT_EQ(value("dpiAwareness"), "PerMonitorV2, PerMonitor") << manifest;
    EXPECT_EQ(value("dpiAware"), "true/pm") << manifest;
    EXPECT_NE(manifest.find("xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\""), std::string::npos);
    EXPECT_NE(manifest.find("xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\""), std::string::npos);
}

} // namespace
