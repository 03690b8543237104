// Batch figures: the save batch's copy throughput next to a plain CopyFileW
// loop over the same files (the save ratio, batch throughput over plain), and
// the cost per item of an install batch of programs that end at once. Prints
// figures only.
#include "batch/prog_dlg.h"
#include "platform/system_dialogs.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

std::wstring TempFolder(const std::wstring& name)
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = std::wstring(szTemp) + L"quill-batch-bench-" +
                                std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryW(folder.c_str());
}

bool WriteFileOfSize(const std::wstring& path, size_t nBytes)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 131 + 7);
    bool ok = true;
    for (size_t done = 0; done < nBytes && ok;) {
        const DWORD n = static_cast<DWORD>(std::min(block.size(), nBytes - done));
        DWORD written = 0;
        ok = ::WriteFile(hFile, block.data(), n, &written, nullptr) && written == n;
        done += n;
    }
    ::CloseHandle(hFile);
    return ok;
}

// Runs one batch behind the real progress window; the report is answered
// at once. Returns the seconds from the start of the modal run to its end.
double RunBatch(int nMode, const std::vector<std::wstring>& items, const std::wstring& savePath, bool* pFailed)
{
    SystemDialogHooks hooks;
    hooks.messageBox = [pFailed](HWND, const std::wstring&, const std::wstring&, UINT nType) {
        *pFailed = (nType & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION;
        return IDOK;
    };
    SetSystemDialogHooks(hooks);
    // Each file is looked up as the main window looks up the checked
    // items, which counts as the batch's time.
    const auto start = Clock::now();
    const std::vector<ResolvedItem> resolved = ResolveItems({}, items);
    CProgDlg dlg;
    dlg.m_nMode = nMode;
    dlg.m_pItems = &resolved;
    dlg.m_strSavePath = savePath;
    dlg.DoModal();
    const double seconds = Seconds(start);
    SetSystemDialogHooks({});
    return seconds;
}

void SaveThroughput(int nFiles, size_t nBytesEach)
{
    const std::wstring tag = std::to_wstring(nFiles) + L"x" + std::to_wstring(nBytesEach >> 20);
    const std::wstring source = TempFolder(tag + L"-src");
    const std::wstring plainDest = TempFolder(tag + L"-plain");
    const std::wstring batchDest = TempFolder(tag + L"-batch");
    std::vector<std::wstring> items;
    for (int i = 0; i < nFiles; ++i) {
        items.push_back(source + L"\\setup " + std::to_wstring(i) + L".exe");
        if (!WriteFileOfSize(items.back(), nBytesEach)) {
            std::printf("save %d x %zu MB: could not write the source files\n", nFiles, nBytesEach >> 20);
            return;
        }
    }
    const double megabytes = static_cast<double>(nFiles) * static_cast<double>(nBytesEach) / (1024.0 * 1024.0);

    // Several rounds each, alternating, so that neither side alone profits
    // from a warm cache or a quiet moment; the quickest round of each side
    // counts. The save batch runs as the program runs it, window and report
    // included.
    constexpr int kRounds = 12;
    double plainSeconds = 0;
    double batchSeconds = 0;
    bool bFailed = false;
    auto plainLoop = [&] {
        const auto start = Clock::now();
        for (const std::wstring& item : items) {
            const std::wstring target = plainDest + item.substr(item.find_last_of(L'\\'));
            if (!::CopyFileW(item.c_str(), target.c_str(), FALSE))
                bFailed = true;
        }
        return Seconds(start);
    };
    // Round 0 only warms up: the first copies of freshly written files are
    // quicker than any later ones, and only one side could have them.
    for (int round = 0; round <= kRounds; ++round) {
        // Each side goes first every other round: the one that follows pays
        // for writing back what the other left in the cache.
        double plain = 0;
        double batch = 0;
        if (round % 2) {
            batch = RunBatch(1, items, batchDest + L"\\", &bFailed);
            plain = plainLoop();
        } else {
            plain = plainLoop();
            batch = RunBatch(1, items, batchDest + L"\\", &bFailed);
        }
        plainSeconds = round <= 1 ? plain : std::min(plainSeconds, plain);
        batchSeconds = round <= 1 ? batch : std::min(batchSeconds, batch);
    }
    // Of the batch's time, what looking the items up once before the
    // question takes.
    double resolveSeconds = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        const std::vector<ResolvedItem> resolved = ResolveItems({}, items);
        resolveSeconds = round == 0 ? Seconds(start) : std::min(resolveSeconds, Seconds(start));
    }
    std::printf("look up %d items once: %.3f ms/item\n", nFiles, resolveSeconds * 1000.0 / nFiles);
    // The save ratio: the batch's throughput over the plain loop's (1.00 =
    // as quick as CopyFileW alone).
    std::printf("save %3d x %3zu MB (%6.0f MB): plain CopyFileW %7.3f s %8.1f MB/s | save batch %7.3f s %8.1f MB/s "
                "| save ratio %.2f%s\n",
                nFiles, nBytesEach >> 20, megabytes, plainSeconds, megabytes / plainSeconds, batchSeconds,
                megabytes / batchSeconds, plainSeconds / batchSeconds, bFailed ? " (some copies FAILED)" : "");
    RemoveFolder(source);
    RemoveFolder(plainDest);
    RemoveFolder(batchDest);
}

void InstallOverhead(int nItems)
{
    wchar_t szModule[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    std::wstring installer = szModule;
    installer.erase(installer.find_last_of(L'\\') + 1);
    installer += L"demo_installer.exe";
    const std::wstring folder = TempFolder(L"install");
    const std::wstring setup = folder + L"\\quick setup.exe";
    if (!::CopyFileW(installer.c_str(), setup.c_str(), FALSE)) {
        std::printf("install: demo_installer.exe not found beside the benchmark\n");
        return;
    }
    const std::wstring log = folder + L"\\install.log";
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", log.c_str());

    // The same start the batch makes, in a plain loop: the shell, then the wait.
    const auto start = Clock::now();
    for (int i = 0; i < nItems; ++i) {
        SHELLEXECUTEINFOW sei{};
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        sei.lpFile = setup.c_str();
        sei.lpParameters = L"/S";
        sei.nShow = SW_SHOW;
        ::ShellExecuteExW(&sei);
        if (sei.hProcess) {
            ::WaitForSingleObject(sei.hProcess, INFINITE);
            ::CloseHandle(sei.hProcess);
        }
    }
    const double plainSeconds = Seconds(start);

    const std::vector<std::wstring> items(static_cast<size_t>(nItems), setup + L" /S");
    bool bFailed = false;
    const double batchSeconds = RunBatch(0, items, L"", &bFailed);
    const double plainMs = plainSeconds * 1000.0 / nItems;
    const double batchMs = batchSeconds * 1000.0 / nItems;
    std::printf("install %d programs that end at once: plain start-and-wait %.2f ms/item | install batch %.2f ms/item "
                "| batch overhead %.2f ms/item%s\n",
                nItems, plainMs, batchMs, batchMs - plainMs, bFailed ? " (some items FAILED)" : "");
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    RemoveFolder(folder);
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    // The fixed cost of a batch: the window up, the worker started, the
    // report, the window down.
    bool bFailed = false;
    const std::vector<std::wstring> noItems;
    RunBatch(1, noItems, L"C:\\", &bFailed);
    const double emptySeconds = RunBatch(1, noItems, L"C:\\", &bFailed);
    std::printf("empty batch (window up and down): %.1f ms\n", emptySeconds * 1000.0);

    SaveThroughput(200, 1u << 20);
    SaveThroughput(5, 200u << 20);
    InstallOverhead(100);
    return 0;
}
