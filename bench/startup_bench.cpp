// Times the program's start on generated discs of 0, 50, 500 and 5,000
// entries (each with an icon file and an installer file of its own): from
// process start until the main window shows with every row, until every icon
// and size is in place, and the private memory per entry; beside it, what
// measuring every installer and loading every icon before showing (one entry
// after the other) would add. Then, in this process, a full repaint of the
// all-software list and select-all over 5,000 entries. Prints the figures;
// run by hand (tools/run-bench.sh startup_bench). Goals at 5,000 entries:
// every row present and the window answering within 1 s of the empty
// catalogue's figure, and no message waiting longer than 50 ms; with 500
// programs installed (Uninstall entries of the current user, removed again
// at the end) and every entry saying what to look for, every row's state in
// place, and the rows on show with their icon, size and state, within 1 s of
// the empty catalogue's start.
#include "bench/loaded_window.h"
#include "bench/stopwatch.h"
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "ui/main/QuillsetDlg.h"
#include "ui/main/details_loader.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(std::filesystem::path(path), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Disc {
    std::wstring folder;
    int entries = 0;
    int categories = 0;
};

// A disc folder with the program, its catalogue, and an icon file and an
// installer file per entry.
Disc MakeDisc(const std::wstring& root, int entries)
{
    Disc disc{root + L"disc" + std::to_wstring(entries) + L"\\", entries,
              std::clamp(entries / 50, 10, 100)};
    ::CreateDirectoryW(disc.folder.c_str(), nullptr);
    ::CreateDirectoryW((disc.folder + L"icons").c_str(), nullptr);
    ::CreateDirectoryW((disc.folder + L"soft").c_str(), nullptr);
    ::CopyFileW((ProgramFolder() + L"Quillset.exe").c_str(), (disc.folder + L"Quillset.exe").c_str(), FALSE);
    const std::string icon = ReadBytes(ProgramFolder() + L"demo-disc\\icons\\zip.ico");
    const std::string installer(64 * 1024, 'i');

    std::wstring ini = L"\xFEFF[Config]\r\n[Type]\r\n";
    for (int j = 1; j <= disc.categories; ++j)
        ini += L"Sort" + std::to_wstring(j) + L"=类别" + std::to_wstring(j) + L"\r\n";
    for (int j = 1; j <= disc.categories; ++j) {
        ini += L"[类别" + std::to_wstring(j) + L".List]\r\n";
        for (int k = 1, e = j - 1; e < entries; e += disc.categories, ++k)
            ini += L"List" + std::to_wstring(k) + L"=软件" + std::to_wstring(e) + L"\r\n";
    }
    for (int e = 0; e < entries; ++e) {
        const std::wstring n = std::to_wstring(e);
        ini += L"[软件" + n + L"]\r\nWorkingDir=%CurrDir%\r\nIconPath=icons\\e" + n + L".ico\r\nManualInstall=soft\\e" +
               n + L".exe\r\nAutoInstall=soft\\e" + n + L".exe /S\r\nDescription=第 " + n +
               L" 款软件的说明文字\r\nChecked=" + std::to_wstring(e % 2) + L"\r\nInstalledName=Bench Program " + n +
               L"\r\nVersion=2.0\r\n";
        WriteBytes(disc.folder + L"icons\\e" + n + L".ico", icon);
        WriteBytes(disc.folder + L"soft\\e" + n + L".exe", installer);
    }
    WriteBytes(disc.folder + L"Quillset.INI",
               std::string(reinterpret_cast<const char*>(ini.data()), ini.size() * sizeof(wchar_t)));
    return disc;
}

struct WindowSearch {
    DWORD pid;
    HWND hFound;
};

BOOL CALLBACK FindVisibleWindow(HWND hWnd, LPARAM lp)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == pSearch->pid && ::IsWindowVisible(hWnd) && !::GetWindow(hWnd, GW_OWNER)) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(DWORD pid)
{
    WindowSearch search{pid, nullptr};
    ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// The programs the machine has: Uninstall entries of the current user, one
// per entry of the first ones (half of them older than the disc's), removed
// again when the object goes.
class InstalledPrograms {
public:
    static constexpr int kCount = 500;
    InstalledPrograms()
    {
        for (int k = 0; k < kCount; ++k) {
            const std::wstring key = Key(k);
            const std::wstring name = L"Bench Program " + std::to_wstring(k);
            const std::wstring version = k % 2 ? L"1.5" : L"2.0";
            ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"DisplayName", REG_SZ, name.c_str(),
                              static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
            ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"DisplayVersion", REG_SZ, version.c_str(),
                              static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
        }
    }
    InstalledPrograms(const InstalledPrograms&) = delete;
    InstalledPrograms& operator=(const InstalledPrograms&) = delete;
    ~InstalledPrograms()
    {
        for (int k = 0; k < kCount; ++k)
            ::RegDeleteTreeW(HKEY_CURRENT_USER, Key(k).c_str());
    }

private:
    static std::wstring Key(int k)
    {
        return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuillsetBench" + std::to_wstring(k);
    }
};

struct StartFigures {
    double shownMs = -1;
    double loadedMs = -1;
    // From the start until every row's state is in place, and until the
    // rows on show have their icon, size and state.
    double statesMs = -1;
    double onShowMs = -1;
    int rows = -1;
    // From the start until every row is in the all-software list and the
    // window has answered a message; the longest a message sent to the
    // window waited, from the window showing until every icon and size is in
    // place.
    double answeringMs = -1;
    double longestWaitMs = -1;
};

// Sends the window a message that does nothing; how long it took to be
// answered, or a negative figure when it was not answered within 10 s.
double RoundTripMs(HWND hWnd)
{
    const Stopwatch trip;
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
        return -1;
    return trip.Milliseconds();
}

StartFigures StartProgram(const Disc& disc)
{
    StartFigures figures;
    std::wstring command = L"\"" + disc.folder + L"Quillset.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const Stopwatch clock;
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, disc.folder.c_str(), &si,
                          &pi))
        return figures;
    HWND hMain = nullptr;
    while (!hMain && clock.Milliseconds() < 60000) {
        hMain = VisibleWindowOf(pi.dwProcessId);
        if (!hMain)
            ::Sleep(1);
    }
    if (hMain) {
        figures.shownMs = clock.Milliseconds();
        const HWND hAll = ::GetDlgItem(hMain, CQuillsetDlg::kIdFirstList);
        figures.rows = static_cast<int>(::SendMessageW(hAll, LVM_GETITEMCOUNT, 0, 0));
        figures.longestWaitMs = 0;
        while (!::GetPropW(hMain, kDetailsLoadedProp) && clock.Milliseconds() < 120000) {
            if (figures.statesMs < 0 && ::GetPropW(hMain, kStatesReadProp))
                figures.statesMs = clock.Milliseconds();
            if (figures.onShowMs < 0 && ::GetPropW(hMain, kRowsOnShowLoadedProp))
                figures.onShowMs = clock.Milliseconds();
            const double wait = RoundTripMs(hMain);
            figures.longestWaitMs = std::max(figures.longestWaitMs, wait);
            if (figures.answeringMs < 0 && wait >= 0 &&
                ::SendMessageW(hAll, LVM_GETITEMCOUNT, 0, 0) >= disc.entries + (disc.entries ? disc.categories : 0))
                figures.answeringMs = clock.Milliseconds();
            ::Sleep(1);
        }
        if (::GetPropW(hMain, kDetailsLoadedProp))
            figures.loadedMs = clock.Milliseconds();
        // Whatever came last: the states, or the sizes of the rows on show.
        while (!::GetPropW(hMain, kStatesReadProp) && clock.Milliseconds() < 120000)
            ::Sleep(1);
        if (figures.statesMs < 0 && ::GetPropW(hMain, kStatesReadProp))
            figures.statesMs = clock.Milliseconds();
        if (figures.onShowMs < 0)
            figures.onShowMs = std::max(figures.loadedMs, 0.0);
        figures.onShowMs = std::max(figures.onShowMs, figures.statesMs);
        if (figures.answeringMs < 0)
            figures.answeringMs = clock.Milliseconds();
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (::WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return figures;
}

// What reading every installer's size and every icon before the window
// shows costs, one entry after the other.
double StraightforwardOrderMs(const Disc& disc)
{
    const Stopwatch clock;
    for (int e = 0; e < disc.entries; ++e) {
        const std::wstring n = std::to_wstring(e);
        ReadInstaller(disc.folder + L"soft\\e" + n + L".exe");
        LoadIconFile(disc.folder + L"icons\\e" + n + L".ico");
    }
    return clock.Milliseconds();
}

double PrivateKb()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    // Wine leaves PrivateUsage at 0; the committed private bytes are PagefileUsage.
    return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / 1024.0;
}

// The main window in this process, timed from inside its modal loop.
class BenchDlg : public CLoadedWindowBench {
public:
    double repaintMs = 0;
    double selectAllMs = 0;
    double clearAllMs = 0;
    double privateKb = 0;

protected:
    void Measure() override
    {
        privateKb = PrivateKb();
        HWND hList = m_pEntryLists[0].m_hWnd;
        const int kRepaints = 20;
        const Stopwatch paint;
        for (int i = 0; i < kRepaints; ++i)
            ::RedrawWindow(hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        repaintMs = paint.Milliseconds() / kRepaints;
        const Stopwatch select;
        m_btnSelectAll.SendMessage(BM_CLICK);
        ::UpdateWindow(hList);
        selectAllMs = select.Milliseconds();
        const Stopwatch clear;
        m_btnSelectAll.SendMessage(BM_CLICK);
        ::UpdateWindow(hList);
        clearAllMs = clear.Milliseconds();
    }
};

} // namespace

int main()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"quillset-startup-bench-" + std::to_wstring(::GetCurrentProcessId()) +
                              L"\\";
    ::CreateDirectoryW(root.c_str(), nullptr);

    const InstalledPrograms installed;
    std::printf("%d programs installed; every entry names one to look for\n", InstalledPrograms::kCount);
    std::printf("entries  categories  rows  shown ms  answering ms  longest wait ms  states ms  rows on show ms  "
                "icons+sizes ms  design order adds ms\n");
    Disc largest;
    for (int entries : {0, 50, 500, 5000}) {
        const Disc disc = MakeDisc(root, entries);
        StartProgram(disc); // the first start warms the file cache and the Wine server
        const StartFigures figures = StartProgram(disc);
        const double serial = StraightforwardOrderMs(disc);
        std::printf("%7d  %10d  %4d  %8.1f  %12.1f  %15.1f  %9.1f  %15.1f  %14.1f  %20.1f\n", entries, disc.categories,
                    figures.rows, figures.shownMs, figures.answeringMs, figures.longestWaitMs, figures.statesMs,
                    figures.onShowMs, figures.loadedMs, serial);
        largest = disc;
    }

    CatalogueSettings settings;
    ReadCatalogue(settings, CIniProfile(largest.folder + L"Quillset.INI"), largest.folder);
    BenchDlg dlg;
    dlg.m_pSettings = &settings;
    const double privateBefore = PrivateKb();
    dlg.DoModal();
    std::printf("5000 entries: private memory %.2f KB per entry (window with every icon and size)\n",
                (dlg.privateKb - privateBefore) / largest.entries);
    std::printf("5000 entries: full repaint of the all-software list %.2f ms, select-all %.1f ms, clear-all %.1f ms\n",
                dlg.repaintMs, dlg.selectAllMs, dlg.clearAllMs);

    std::error_code error;
    std::filesystem::remove_all(root, error);
    return 0;
}
