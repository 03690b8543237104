// Times the search box over a generated catalogue of 5,000 entries (100
// categories): each query is typed into the real main window key by key,
// and each key is timed until the all-software list has painted what it
// shows. Prints the median and the worst milliseconds per key of each query
// and over all keys; run by hand (tools/run-bench.sh search_bench). Goal:
// every key answered within 30 ms.
#include "bench/loaded_window.h"
#include "bench/stopwatch.h"
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "ui/main/QuillsetDlg.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const int kEntries = 5000;
const int kCategories = 100;
// Initials, a number, a Chinese part of every name, a description's words,
// a full-width query and one that finds nothing; each with a name to print.
struct Query {
    const char* name;
    const wchar_t* text;
};
const Query kQueries[] = {{"initials rj42", L"rj42"},         {"number 4217", L"4217"},
                          {"every name", L"软件"},            {"descriptions", L"说明文字"},
                          {"full-width RJ1", L"ＲＪ１"}, {"none zzzz", L"zzzz"}};

std::wstring WriteCatalogue(const std::wstring& folder)
{
    std::wstring ini = L"\xFEFF[Config]\r\n[Type]\r\n";
    for (int j = 1; j <= kCategories; ++j)
        ini += L"Sort" + std::to_wstring(j) + L"=类别" + std::to_wstring(j) + L"\r\n";
    for (int j = 1; j <= kCategories; ++j) {
        ini += L"[类别" + std::to_wstring(j) + L".List]\r\n";
        for (int k = 1, e = j - 1; e < kEntries; e += kCategories, ++k)
            ini += L"List" + std::to_wstring(k) + L"=软件" + std::to_wstring(e) + L"\r\n";
    }
    for (int e = 0; e < kEntries; ++e) {
        const std::wstring n = std::to_wstring(e);
        ini += L"[软件" + n + L"]\r\nDescription=第 " + n + L" 款软件的说明文字\r\n";
    }
    const std::wstring path = folder + L"Quillset.INI";
    std::ofstream(std::filesystem::path(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(ini.data()), static_cast<std::streamsize>(ini.size() * sizeof(wchar_t)));
    return path;
}

struct Figures {
    const char* query;
    std::vector<double> keyMs;
    int rows = 0;
};

double Median(std::vector<double> ms)
{
    if (ms.empty())
        return 0;
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

class BenchDlg : public CLoadedWindowBench {
public:
    std::vector<Figures> figures;

protected:
    void Measure() override
    {
        HWND hEdit = ::GetDlgItem(m_hWnd, kIdSearch);
        HWND hList = m_pEntryLists[0].m_hWnd;
        for (const Query& query : kQueries) {
            Figures figure{query.name, {}, 0};
            for (const wchar_t* p = query.text; *p; ++p) {
                const Stopwatch key;
                ::SendMessageW(hEdit, WM_CHAR, *p, 1);
                ::UpdateWindow(hList);
                figure.keyMs.push_back(key.Milliseconds());
            }
            figure.rows = static_cast<int>(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
            figures.push_back(figure);
            ::SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            ::UpdateWindow(hList);
        }
    }
};

} // namespace

int main()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"quillset-search-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    CatalogueSettings settings;
    ReadCatalogue(settings, CIniProfile(WriteCatalogue(folder)), folder);
    BenchDlg dlg;
    dlg.m_pSettings = &settings;
    dlg.DoModal();

    std::printf("%d entries in %d categories, each key until the list has painted\n", kEntries, kCategories);
    std::printf("query           keys  rows found  median ms  worst ms\n");
    std::vector<double> every;
    for (const Figures& figure : dlg.figures) {
        every.insert(every.end(), figure.keyMs.begin(), figure.keyMs.end());
        std::printf("%-14s  %4zu  %10d  %9.2f  %8.2f\n", figure.query, figure.keyMs.size(), figure.rows,
                    Median(figure.keyMs), *std::max_element(figure.keyMs.begin(), figure.keyMs.end()));
    }
    if (!every.empty())
        std::printf("every key: median %.2f ms, worst %.2f ms (goal: 30 ms)\n", Median(every),
                    *std::max_element(every.begin(), every.end()));
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return 0;
}
