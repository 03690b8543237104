// The main window's size remembered per catalogue: read from settings files
// of every kind a profile may hold, written back with the others kept, and
// the size the window opens at.
#include "catalogue/ini_profile.h"
#include "tests/support/test_support.h"
#include "ui/main/main_layout.h"
#include "ui/main/window_memory.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace testing_support;
using main_layout::Size;
using window_memory::RememberedSize;

const wchar_t kDisc[] = L"D:\\装机\\Quillset.INI";

std::optional<Size> Read(const std::string& bytes, const std::wstring& catalogue = kDisc)
{
    TempDir dir;
    WriteFile(dir / L"settings.ini", bytes);
    return RememberedSize(CIniProfile(dir / L"settings.ini"), catalogue);
}

std::optional<Size> ReadText(const std::wstring& text, const std::wstring& catalogue = kDisc)
{
    return Read(ToUtf16LeWithBom(text), catalogue);
}

TEST(WindowMemory, ASizeIsReadOnlyWhereTheFileSaysItPlainly)
{
    const std::wstring head = L"[Window1]\r\nCatalogue=E:\\other.INI\r\nWidth=900\r\nHeight=600\r\n[Window2]\r\n"
                              L"Catalogue=d:\\装机\\quillset.ini\r\n";
    const struct {
        const char* what;
        std::wstring tail;
        std::optional<Size> expected;
    } cases[] = {
        {"the catalogue's own, its path in another case", L"Width=1100\r\nHeight=750\r\n", Size{1100, 750}},
        {"a side missing", L"Width=1100\r\n", std::nullopt},
        {"not a number", L"Width=wide\r\nHeight=750\r\n", std::nullopt},
        {"negative", L"Width=-1100\r\nHeight=750\r\n", std::nullopt},
        {"zero", L"Width=0\r\nHeight=750\r\n", std::nullopt},
        {"past any screen", L"Width=99999\r\nHeight=750\r\n", std::nullopt},
        {"a number with more behind it", L"Width=1100px\r\nHeight=750\r\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadText(head + c.tail), c.expected) << c.what;

    EXPECT_EQ(ReadText(head + L"Width=1\r\nHeight=1\r\n", L"D:\\装机2\\Quillset.INI"), std::nullopt)
        << "another catalogue";
    EXPECT_EQ(ReadText(L"[Window2]\r\nCatalogue=D:\\装机\\Quillset.INI\r\nWidth=9\r\nHeight=9\r\n"), std::nullopt)
        << "the list ends at its first gap";
    EXPECT_EQ(Read(std::string("\x00\xFF\x13[Window1\x00\r\n\xFE", 9)), std::nullopt) << "bytes of no settings";
    EXPECT_EQ(Read("MZ\x90\x00\x03"), std::nullopt) << "a program in its place";
}

// The settings file SettingsText writes over the old one, read back.
std::wstring Rewritten(const TempDir& dir, const std::wstring& old, Size size)
{
    WriteFile(dir / L"old.ini", ToUtf16LeWithBom(old));
    return window_memory::SettingsText(CIniProfile(dir / L"old.ini"), kDisc, size);
}

TEST(WindowMemory, WrittenLatestFirstWithTheOthersKept)
{
    TempDir dir;
    std::wstring full;
    for (int n = 1; n <= window_memory::kMaxRemembered; ++n)
        full += L"[Window" + std::to_wstring(n) + L"]\r\nCatalogue=C:\\d" + std::to_wstring(n) + L"\\Quillset.INI\r\n"
                L"Width=" + std::to_wstring(800 + n) + L"\r\nHeight=500\r\n";
    WriteFile(dir / L"new.ini", ToUtf16LeWithBom(Rewritten(dir, full, Size{1200, 800})));
    const CIniProfile now(dir / L"new.ini");
    EXPECT_EQ(RememberedSize(now, kDisc), (Size{1200, 800}));
    EXPECT_EQ(now.GetString(L"Window1", L"Catalogue", L""), kDisc) << "the latest first";
    EXPECT_EQ(RememberedSize(now, L"C:\\d49\\Quillset.INI"), (Size{849, 500}));
    EXPECT_EQ(RememberedSize(now, L"C:\\d50\\Quillset.INI"), std::nullopt) << "the oldest went";

    const std::wstring few = L"[Window1]\r\nCatalogue=C:\\a.INI\r\nWidth=801\r\nHeight=501\r\n"
                             L"[Window2]\r\nCatalogue=D:\\装机\\QUILLSET.INI\r\nWidth=900\r\nHeight=600\r\n"
                             L"[Window3]\r\nCatalogue=C:\\broken.INI\r\nWidth=x\r\nHeight=501\r\n"
                             L"[Window4]\r\nCatalogue=C:\\b.INI\r\nWidth=804\r\nHeight=504\r\n";
    EXPECT_EQ(Rewritten(dir, few, Size{1000, 700}),
              L"[Window1]\r\nCatalogue=D:\\装机\\Quillset.INI\r\nWidth=1000\r\nHeight=700\r\n\r\n"
              L"[Window2]\r\nCatalogue=C:\\a.INI\r\nWidth=801\r\nHeight=501\r\n\r\n"
              L"[Window3]\r\nCatalogue=C:\\b.INI\r\nWidth=804\r\nHeight=504\r\n\r\n")
        << "its old place gone, and one that said nothing usable";
}

TEST(WindowMemory, TheWindowOpensAtTheRememberedSizeWithinItsBounds)
{
    const Size least{1024, 700};
    const Size work{1900, 1000};
    const struct {
        const char* what;
        Size remembered;
        int dpi;
        Size expected;
    } cases[] = {
        {"as remembered", {1200, 800}, 96, {1200, 800}},
        {"at 150 %", {1200, 600}, 144, {1800, 900}},
        {"never less than the catalogue's", {900, 650}, 96, {1024, 700}},
        {"never past the work area", {2500, 1400}, 96, {1900, 1000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(main_layout::OpeningSize(c.remembered, least, work, dpi::Scale{c.dpi}), c.expected) << c.what;
    EXPECT_EQ(main_layout::OpeningSize({2500, 1400}, {2000, 1200}, work, {}), (Size{2000, 1200}))
        << "a catalogue's size larger than the screen wins";
}

} // namespace
