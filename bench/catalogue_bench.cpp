// Loading the catalogue: generated catalogues of 50, 500 and 5,000 entries,
// read with the in-memory profile (parsed once) and, in the same run, with
// the platform's profile functions (which open the file for every key); then
// the memory a small file takes that lists one entry of long values 50 times
// under each of 1,000 categories.
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <string>

namespace {

struct Size {
    int entries;
    int categories;
};

const Size kSizes[] = {{50, 10}, {500, 50}, {5000, 100}};

// A catalogue as the demo disc writes one: UTF-16LE, Chinese names.
std::wstring GenerateCatalogue(const Size& size)
{
    std::wstring text = L"[Config]\r\nMainWidth=900\r\nMainHeight=620\r\nTitleText=\u88C5\u673A\u5149\u76D8\r\n"
                        L"SavePath=D:\\\u5B89\u88C5\u5305\r\nDefault=1\r\n[Type]\r\n";
    for (int c = 1; c <= size.categories; ++c)
        text += L"Sort" + std::to_wstring(c) + L"=\u5206\u7C7B" + std::to_wstring(c) + L"\r\n";
    const int perCategory = size.entries / size.categories;
    for (int c = 1; c <= size.categories; ++c) {
        const std::wstring category = L"\u5206\u7C7B" + std::to_wstring(c);
        text += L"[" + category + L"]\r\nWorkingDir=%CurrDir%\r\nIconPath=icons\\cat" + std::to_wstring(c) + L".ico\r\n";
        text += L"[" + category + L".List]\r\n";
        for (int k = 1; k <= perCategory; ++k) {
            const int entry = (c - 1) * perCategory + k;
            text += L"List" + std::to_wstring(k) + L"=\u8F6F\u4EF6" + std::to_wstring(entry) + L"\r\n";
        }
    }
    for (int e = 1; e <= size.entries; ++e) {
        const std::wstring n = std::to_wstring(e);
        text += L"[\u8F6F\u4EF6" + n + L"]\r\nWorkingDir=%CurrDir%\r\nIconPath=icons\\" + n + L".ico\r\nChecked=" +
                std::to_wstring(e % 2) + L"\r\nAutoInstall=setup\\" + n + L".exe /S\r\nManualInstall=setup\\" + n +
                L".exe\r\nDescription=\u7B2C" + n + L"\u4E2A\u8F6F\u4EF6\u7684\u8BF4\u660E\u6587\u5B57\r\n";
    }
    return text;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file)
        return false;
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    DWORD written = 0;
    // An hour old, so the platform's functions may keep the parsed file
    // between calls instead of reading it again for every key.
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{};
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 36000000000ULL;
    const FILETIME past{t.LowPart, t.HighPart};
    const bool ok = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::SetFileTime(file.Get(), nullptr, nullptr, &past);
    return ok;
}

size_t CountEntries(const CatalogueSettings& settings)
{
    size_t n = 0;
    for (const SoftwareCategory* c = settings.Categories.get(); !c->Name.empty(); ++c) {
        for (SoftwareEntry* const* e = c->Entries.get(); e && *e; ++e)
            ++n;
    }
    return n;
}

bool SameCatalogue(const CatalogueSettings& a, const CatalogueSettings& b)
{
    if (a.TitleText != b.TitleText || a.SavePath != b.SavePath || a.MainWidth != b.MainWidth)
        return false;
    for (size_t i = 0;; ++i) {
        const SoftwareCategory& ca = a.Categories[i];
        const SoftwareCategory& cb = b.Categories[i];
        if (ca.Name != cb.Name || ca.IconPath != cb.IconPath || (ca.Entries == nullptr) != (cb.Entries == nullptr))
            return false;
        if (ca.Name.empty())
            return true;
        for (size_t j = 0; ca.Entries; ++j) {
            if (!ca.Entries[j] || !cb.Entries[j]) {
                if (ca.Entries[j] != cb.Entries[j])
                    return false;
                break;
            }
            const SoftwareEntry& ea = *ca.Entries[j];
            const SoftwareEntry& eb = *cb.Entries[j];
            if (ea.Name != eb.Name || ea.IconPath != eb.IconPath || ea.Checked != eb.Checked ||
                ea.AutoInstall != eb.AutoInstall || ea.ManualInstall != eb.ManualInstall ||
                ea.Description != eb.Description)
                return false;
        }
    }
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One entry whose WorkingDir is put in front of three values, all four of
// 4,095 characters, listed 50 times under each of 1,000 categories.
std::wstring OneEntryListedEverywhere()
{
    const std::wstring value(4095, L'x');
    std::wstring text = L"[Type]\r\n";
    for (int c = 1; c <= 1000; ++c)
        text += L"Sort" + std::to_wstring(c) + L"=C" + std::to_wstring(c) + L"\r\n";
    for (int c = 1; c <= 1000; ++c) {
        text += L"[C" + std::to_wstring(c) + L".List]\r\n";
        for (int k = 1; k <= 50; ++k)
            text += L"List" + std::to_wstring(k) + L"=E\r\n";
    }
    return text + L"[E]\r\nWorkingDir=" + value + L"\r\nIconPath=" + value + L"\r\nAutoInstall=" + value +
           L"\r\nManualInstall=" + value + L"\r\n";
}

double CommittedMegabytes(bool bPeak)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    return static_cast<double>(bPeak ? counters.PeakPagefileUsage : counters.PagefileUsage) / (1024.0 * 1024.0);
}

// Reads the file and prints what the process holds before, after and at
// most while reading it.
void MeasureMemory(const std::wstring& path)
{
    const std::wstring text = OneEntryListedEverywhere();
    if (!WriteUtf16File(path, text)) {
        std::printf("cannot write %ls\n", path.c_str());
        return;
    }
    std::printf("\nMemory: one entry of long values listed 50 times under each of 1,000 categories (%zu KB file),\n"
                "%d-bit build. Memory committed by the process, MB.\n",
                (text.size() * 2 + 2) / 1024, static_cast<int>(sizeof(void*) * 8));
    const double before = CommittedMegabytes(false);
    CatalogueSettings settings;
    const char* outcome = "whole";
    const auto start = std::chrono::steady_clock::now();
    try {
        const CIniProfile profile(path);
        if (ReadCatalogue(settings, profile, L"C:\\") == CatalogueExtent::CutShort)
            outcome = "cut short";
    } catch (const std::bad_alloc&) {
        outcome = "std::bad_alloc";
    }
    const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
    size_t categories = 0;
    while (settings.Categories && !settings.Categories[categories].Name.empty())
        ++categories;
    std::printf("%12s %12s %12s | %10s %8s | %s\n", "before", "after", "peak", "categories", "ms", "outcome");
    std::printf("%12.1f %12.1f %12.1f | %10zu %8.0f | %s\n", before, CommittedMegabytes(false), CommittedMegabytes(true),
                categories, ms, outcome);
    ::DeleteFileW(path.c_str());
}


} // namespace

int main()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = std::wstring(szTemp) + L"quill-catalogue-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exeFolder = folder + L"\\";

    std::printf("LoadCatalogue: in-memory profile (file read and parsed once; best of 5) against the platform's\n"
                "profile functions (one call per key), same files, same run.\n\n");
    std::printf("%8s %10s %9s | %12s %12s | %12s %12s | %s\n", "entries", "categories", "file KB", "ours ms",
                "ours us/ent", "platform ms", "platf us/ent", "same records");
    for (const Size& size : kSizes) {
        const std::wstring path = folder + L"\\Quillset" + std::to_wstring(size.entries) + L".INI";
        const std::wstring text = GenerateCatalogue(size);
        if (!WriteUtf16File(path, text)) {
            std::printf("cannot write %ls\n", path.c_str());
            return 1;
        }

        CatalogueSettings ours;
        auto best = std::chrono::steady_clock::duration::max();
        for (int run = 0; run < 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const CIniProfile profile(path);
            ReadCatalogue(ours, profile, exeFolder);
            best = std::min(best, std::chrono::steady_clock::now() - start);
        }

        CatalogueSettings platform;
        const auto start = std::chrono::steady_clock::now();
        ReadCatalogue(platform, CPlatformProfile(path), exeFolder);
        const auto platformTime = std::chrono::steady_clock::now() - start;

        const size_t entries = CountEntries(ours);
        const double oursMs = Milliseconds(best);
        const double platformMs = Milliseconds(platformTime);
        std::printf("%8zu %10d %9zu | %12.3f %12.3f | %12.1f %12.1f | %s\n", entries, size.categories,
                    (text.size() * 2 + 2) / 1024, oursMs, oursMs * 1000.0 / static_cast<double>(entries), platformMs,
                    platformMs * 1000.0 / static_cast<double>(entries), SameCatalogue(ours, platform) ? "yes" : "NO");
        ::DeleteFileW(path.c_str());
    }
    MeasureMemory(folder + L"\\QuillsetListedEverywhere.INI");
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
