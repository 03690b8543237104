#include "tests/support/running_program.h"

#include "tests/support/test_support.h"

#include <commctrl.h>

#include <chrono>
#include <cstddef>
#include <vector>

namespace testing_support {

namespace {

struct FoundWindow {
    DWORD processId;
    HWND hWnd;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lp)
{
    auto* pFound = reinterpret_cast<FoundWindow*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == pFound->processId && ::IsWindowVisible(hWnd) && !::GetWindow(hWnd, GW_OWNER)) {
        pFound->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct OwnedBox {
    HWND hOwner;
    const std::wstring* caption;
    HWND hWnd;
};

BOOL CALLBACK FindOwnedBox(HWND hWnd, LPARAM lp)
{
    auto* pBox = reinterpret_cast<OwnedBox*>(lp);
    if (::GetWindow(hWnd, GW_OWNER) == pBox->hOwner && ::IsWindowVisible(hWnd) &&
        Caption(hWnd).starts_with(*pBox->caption)) {
        pBox->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

RunningProgram::RunningProgram(const std::wstring& exePath, const std::wstring& currentDir,
                               const std::wstring& arguments, const std::wstring& outputFile)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring commandLine = L"\"" + exePath + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    CFileHandle output;
    if (!outputFile.empty()) {
        output.Reset(::CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = output.Get();
        si.hStdError = output.Get();
    }
    m_started = ::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                                 nullptr, currentDir.c_str(), &si, &m_pi) != FALSE;
}

RunningProgram::~RunningProgram()
{
    if (!m_started)
        return;
    if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(m_pi.hProcess, 1);
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

HWND RunningProgram::MainWindow(DWORD timeoutMs) const
{
    FoundWindow found{m_pi.dwProcessId, nullptr};
    PumpUntil(
        [&] {
            ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&found));
            return found.hWnd != nullptr;
        },
        std::chrono::milliseconds(timeoutMs));
    return found.hWnd;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs, DWORD* pExitCode) const
{
    if (::WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    ::GetExitCodeProcess(m_pi.hProcess, pExitCode);
    return true;
}

std::wstring CopyProgramTo(const TempDir& dir, const std::wstring& name)
{
    const std::wstring target = dir / name;
    ::CopyFileW((ProgramFolder() + L"Quillset.exe").c_str(), target.c_str(), FALSE);
    return target;
}

std::wstring Caption(HWND hWnd)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(hWnd, text, 512);
    return text;
}

std::wstring MessageBoxText(HWND hBox)
{
    // The static that holds a message box's text has this id.
    wchar_t text[2048] = {};
    ::GetDlgItemTextW(hBox, 0xFFFF, text, 2048);
    return text;
}

HWND FindOwnedWindow(HWND hOwner, const std::wstring& caption)
{
    OwnedBox box{hOwner, &caption, nullptr};
    ::EnumWindows(&FindOwnedBox, reinterpret_cast<LPARAM>(&box));
    return box.hWnd;
}

HWND WaitForOwnedWindow(HWND hOwner, const std::wstring& caption, DWORD timeoutMs)
{
    HWND hFound = nullptr;
    PumpUntil([&] { return (hFound = FindOwnedWindow(hOwner, caption)) != nullptr; },
              std::chrono::milliseconds(timeoutMs));
    return hFound;
}

namespace {

struct MenuSearch {
    DWORD pid;
    HWND hFound;
};

BOOL CALLBACK FindMenuProc(HWND hWnd, LPARAM lp)
{
    auto* p = reinterpret_cast<MenuSearch*>(lp);
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (std::wstring(name) == L"#32768" && pid == p->pid && ::IsWindowVisible(hWnd))
        p->hFound = hWnd;
    return p->hFound ? FALSE : TRUE;
}

} // namespace

HWND WaitForMenu(DWORD pid, DWORD timeoutMs)
{
    MenuSearch search{pid, nullptr};
    PumpUntil(
        [&] {
            search.hFound = nullptr;
            ::EnumWindows(&FindMenuProc, reinterpret_cast<LPARAM>(&search));
            return search.hFound != nullptr;
        },
        std::chrono::milliseconds(timeoutMs));
    return search.hFound;
}

std::vector<std::wstring> ListRowTexts(HWND hList, int nColumn)
{
    struct Remote {
        LVITEMW item;
        wchar_t text[260];
    };
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hList, &pid);
    const CKernelHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    void* const pRemote = ::VirtualAllocEx(process.Get(), nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE);
    std::vector<std::wstring> texts;
    if (!pRemote)
        return texts;
    const int count = static_cast<int>(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        Remote local{};
        local.item.iSubItem = nColumn;
        local.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(pRemote) + offsetof(Remote, text));
        local.item.cchTextMax = 260;
        ::WriteProcessMemory(process.Get(), pRemote, &local, sizeof(local), nullptr);
        ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(pRemote));
        ::ReadProcessMemory(process.Get(), pRemote, &local, sizeof(local), nullptr);
        local.text[259] = L'\0';
        texts.emplace_back(local.text);
    }
    ::VirtualFreeEx(process.Get(), pRemote, 0, MEM_RELEASE);
    return texts;
}

std::vector<bool> ListRowChecks(HWND hList)
{
    std::vector<bool> checks;
    const int count = static_cast<int>(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        checks.push_back((::SendMessageW(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK) &
                          LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
    return checks;
}

InstallerDisc::InstallerDisc(const std::wstring& catalogue, const std::vector<std::wstring>& demoNames,
                             const std::vector<std::wstring>& hangingNames)
{
    CopyProgramTo(m_dir, L"Quillset.exe");
    WriteFile(m_dir / L"Quillset.INI", ToUtf16LeWithBom(catalogue));
    for (const std::wstring& name : demoNames)
        ::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), (m_dir / name).c_str(), FALSE);
    for (const std::wstring& name : hangingNames)
        ::CopyFileW((ProgramFolder() + L"hanging_installer.exe").c_str(), (m_dir / name).c_str(), FALSE);
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", (m_dir / L"install.log").c_str());
    ::SetEnvironmentVariableW(L"QUILLSET_HANG_PIDS", (m_dir / L"pids.txt").c_str());
}

InstallerDisc::~InstallerDisc()
{
    EndProcesses(ProcessIdsIn(m_dir / L"pids.txt"));
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    ::SetEnvironmentVariableW(L"QUILLSET_HANG_PIDS", nullptr);
}

std::wstring InstallerDisc::Installed() const
{
    return FromUtf8(ReadFile(m_dir / L"install.log"));
}

} // namespace testing_support
