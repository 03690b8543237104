#include "tests/catalogue/catalogue_reading.h"

#include "catalogue/ini_profile.h"
#include "tests/support/test_support.h"

namespace catalogue_testing {

using namespace testing_support;

const std::wstring kExeFolder = L"E:\\\u5149\u76D8\\";

void ReadFrom(CatalogueSettings& settings, const std::wstring& path)
{
    const CIniProfile profile(path);
    ReadCatalogue(settings, profile, kExeFolder);
}

void ReadText(CatalogueSettings& settings, const std::wstring& text)
{
    TempDir dir;
    WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(text));
    ReadFrom(settings, dir / L"Quillset.INI");
}

std::vector<std::wstring> CategoryNames(const CatalogueSettings& settings)
{
    std::vector<std::wstring> names;
    for (const SoftwareCategory* p = settings.Categories.get(); !p->Name.empty(); ++p)
        names.push_back(p->Name);
    return names;
}

std::vector<std::wstring> EntryNames(const SoftwareCategory& category)
{
    std::vector<std::wstring> names;
    if (!category.Entries)
        return names;
    for (SoftwareEntry* const* p = category.Entries.get(); *p; ++p)
        names.push_back((*p)->Name);
    return names;
}

// A Chinese catalogue as a technician writes it.
extern const wchar_t kChineseCatalogue[] =
    L"; \u88C5\u673A\u5149\u76D8\u76EE\u5F55\r\n"
    L"[Config]\r\n"
    L"MainWidth=900\r\n"
    L"MainHeight=620\r\n"
    L"TitleText=\u88C5\u673A\u5149\u76D8 2026\r\n"
    L"SavePath=D:\\\u5B89\u88C5\u5305\r\n"
    L"Default=0\r\n"
    L"[Type]\r\n"
    L"Sort1=\u5E38\u7528\u8F6F\u4EF6\r\n"
    L"Sort2=\u5F00\u53D1\u5DE5\u5177\r\n"
    L"[\u5E38\u7528\u8F6F\u4EF6]\r\n"
    L"WorkingDir=%CurrDir%\r\n"
    L"IconPath=\u56FE\u6807\\\u5E38\u7528.ico\r\n"
    L"[\u5E38\u7528\u8F6F\u4EF6.List]\r\n"
    L"List1=\u8F93\u5165\u6CD5\r\n"
    L"List2=\u538B\u7F29\u5DE5\u5177\r\n"
    L"[\u5F00\u53D1\u5DE5\u5177.List]\r\n"
    L"List1=\u538B\u7F29\u5DE5\u5177\r\n"
    L"[\u8F93\u5165\u6CD5]\r\n"
    L"WorkingDir=%CurrDir%\r\n"
    L"IconPath=\u56FE\u6807\\\u8F93\u5165.ico\r\n"
    L"Checked=1\r\n"
    L"AutoInstall=\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe /S\r\n"
    L"ManualInstall=\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe\r\n"
    L"Description=\u62FC\u97F3\u8F93\u5165\uFF0C\u542B\u8BCD\u5E93\r\n"
    L"[\u538B\u7F29\u5DE5\u5177]\r\n"
    L"IconPath=C:\\\u56FE\u6807\\zip.ico\r\n"
    L"AutoInstall=\u538B\u7F29.exe /quiet\r\n"
    L"ManualInstall=\u538B\u7F29.exe\r\n"
    L"Description=\u538B\u7F29\u4E0E\u89E3\u538B\r\n";

// [Type] naming the categories given (C<i> for a number i), and in
// [C0.List] ... the same entries E1 ... E<entries>.
std::wstring ListedTwice(const std::vector<std::wstring>& sorts, size_t lists, int entries)
{
    std::wstring text = L"[Config]\r\nTitleText=\u5927\u5149\u76D8\r\n[Type]\r\n";
    for (size_t i = 0; i < sorts.size(); ++i)
        text += L"Sort" + std::to_wstring(i + 1) + L"=" + sorts[i] + L"\r\n";
    for (size_t j = 0; j < lists; ++j) {
        text += L"[C" + std::to_wstring(j) + L".List]\r\n";
        for (int i = 1; i <= entries; ++i)
            text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\r\n";
    }
    return text;
}

std::vector<std::wstring> Numbered(size_t count)
{
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(L"C" + std::to_wstring(i));
    return names;
}

} // namespace catalogue_testing
