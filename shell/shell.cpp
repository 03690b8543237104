#include "shell/shell.h"

#include "platform/desktop_open.h"
#include "shell/path_resolution.h"
#include "shell/resolved_item.h"
#include "shell/safe_copy.h"

#include <shellapi.h>

namespace {

// ERROR_ELEVATION_REQUIRED, which not every SDK names.
constexpr DWORD kElevationRequired = 740;

// The folder a started file works in: its own, backslash kept for a root.
std::wstring FolderOf(const std::wstring& fullPath)
{
    const size_t slash = fullPath.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {};
    return fullPath.substr(0, slash > 0 && fullPath[slash - 1] == L':' ? slash + 1 : slash);
}

std::wstring LowerExtension(const std::wstring& path)
{
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || path.find(L'\\', dot) != std::wstring::npos)
        return {};
    std::wstring extension = path.substr(dot);
    ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    return extension;
}

// A new process of the program application with the whole command line,
// put into hJob (when given) before it runs a single instruction, so that
// every process it starts is in the job too. bInJob tells whether it is:
// where the system refuses (a job of this process's own that allows no
// other, before Windows 8), it runs outside.
HANDLE StartProcess(const std::wstring& application, std::wstring commandLine, const std::wstring& folder, HANDLE hJob,
                    bool& bInJob)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    bInJob = false;
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          hJob ? CREATE_SUSPENDED : 0, nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return nullptr;
    const CKernelHandle thread(pi.hThread);
    if (hJob) {
        bInJob = ::AssignProcessToJobObject(hJob, pi.hProcess) != FALSE;
        ::ResumeThread(pi.hThread);
    }
    return pi.hProcess;
}

HANDLE StartByAssociation(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)
{
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    // The callers report a failure in their own words: the shell's own
    // error box would stop an unattended batch until someone answers it.
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpFile = file.c_str();
    sei.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    sei.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    sei.nShow = SW_SHOW;
    ::ShellExecuteExW(&sei);
    return sei.hProcess;
}

// A program of the system folder; empty when the folder cannot be told.
std::wstring SystemProgram(const wchar_t* name)
{
    wchar_t szSystem[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(szSystem, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return std::wstring(szSystem, n) + L"\\" + name;
}

std::wstring WithParameters(std::wstring commandLine, const std::wstring& parameters)
{
    return parameters.empty() ? commandLine : commandLine + L" " + parameters;
}

} // namespace

CShell::CShell(const std::wstring& strFile, const std::wstring& strParameters)
    : m_strFile(strFile), m_strParameters(strParameters)
{
    Resolve();
}

int CShell::Locate(const std::wstring& strFile, const std::wstring& strParameters)
{
    m_strFile = strFile;
    m_strParameters = strParameters;
    Resolve();
    return m_bFound;
}

void CShell::Resolve()
{
    ResolvedPath resolved = ResolvePath(m_strFile, m_strParameters, &PathExists, &CdromRoots);
    m_bFound = resolved.bFound ? 1 : 0;
    m_strFile = std::move(resolved.strFile);
    m_strParameters = std::move(resolved.strParameters);
    m_strDrive = std::move(resolved.strDrive);
}

void CShell::Take(const ResolvedItem& item)
{
    m_bFound = item.bFound ? 1 : 0;
    m_strFile = item.strFile;
    m_strParameters = item.strParameters;
    m_strDrive = item.strDrive;
}

std::wstring CShell::GetFile(std::wstring& strParameters) const
{
    strParameters = m_strParameters;
    return m_strFile;
}

bool CShell::FoundOnOtherDrive() const
{
    return m_bFound && IsOtherCdromRoot(m_strDrive);
}

bool CShell::RefusedForItsDrive() const
{
    return RefusedForDrive(FoundOnOtherDrive(), m_bUnattended, m_bAnyDrive);
}

HANDLE CShell::Run(bool bWait)
{
    m_hProcess.Reset();
    m_bInJob = false;
    m_dwLastError = !m_bFound ? ERROR_FILE_NOT_FOUND : RefusedForItsDrive() ? kErrorOtherDrive : 0;
    if (m_dwLastError)
        return nullptr;
    const std::wstring file = FullPathOrAsGiven(m_strFile);
    const std::wstring folder = FolderOf(file);
    const std::wstring extension = LowerExtension(file);
    const std::wstring quoted = L"\"" + file + L"\"";
    // Nothing starts through the file associations, which an elevated
    // process still takes from the user's own registry classes.
    HANDLE hProcess = nullptr;
    if (extension == L".exe" || extension == L".com") {
        hProcess = StartProcess(file, WithParameters(quoted, m_strParameters), folder, m_hJob, m_bInJob);
        // A program that asks for more rights than this process has: the
        // shell asks the user for them (no rights are gained by the route),
        // unless nobody is there to answer.
        if (!hProcess && ::GetLastError() == kElevationRequired && !m_bUnattended) {
            hProcess = StartByAssociation(file, m_strParameters, folder);
            // Started by the shell: into the job as soon as it is there.
            m_bInJob = hProcess && m_hJob && ::AssignProcessToJobObject(m_hJob, hProcess);
        }
    } else if (extension == L".msi") {
        const std::wstring msiexec = SystemProgram(L"msiexec.exe");
        if (!msiexec.empty()) {
            hProcess =
                StartProcess(msiexec, WithParameters(L"\"" + msiexec + L"\" /i " + quoted, m_strParameters), folder,
                             m_hJob, m_bInJob);
        }
    } else if (extension == L".bat" || extension == L".cmd") {
        // The cmd.exe Explorer runs it with in either build (the 64-bit one
        // on 64-bit Windows). /d: none of the AutoRun commands the registry
        // (the user's own key too) names. cmd takes the outer quotes off and
        // runs the rest as written.
        const std::wstring cmd = NativeSystemPath(SystemProgram(L"cmd.exe"));
        if (!cmd.empty()) {
            hProcess = StartProcess(
                cmd, L"\"" + cmd + L"\" /d /c \"" + WithParameters(quoted, m_strParameters) + L"\"", folder, m_hJob,
                m_bInJob);
        }
    } else if (m_bUnattended) {
        m_dwLastError = kErrorNotAProgram;
        return nullptr;
    } else {
        // Opened, or not, with no process of this program's to wait for.
        m_dwLastError = OpenAsDesktopUser(file, m_strParameters, folder) ? 0 : ::GetLastError();
        return nullptr;
    }
    m_dwLastError = hProcess ? 0 : ::GetLastError();
    m_hProcess.Reset(hProcess);
    if (bWait && m_hProcess)
        ::WaitForSingleObject(m_hProcess.Get(), INFINITE);
    return m_hProcess.Get();
}

int CShell::CopyTo(const std::wstring& strTarget, bool bFailIfExists)
{
    m_dwLastError = !m_bFound ? ERROR_FILE_NOT_FOUND : RefusedForItsDrive() ? kErrorOtherDrive : 0;
    if (m_dwLastError)
        return 0;
    const CFileHandle hSource(::CreateFileW(FullPathOrAsGiven(m_strFile).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!hSource) {
        m_dwLastError = ::GetLastError();
        return 0;
    }
    const CopyOutcome outcome = CopyWithoutFollowingLinks(hSource.Get(), strTarget, bFailIfExists);
    m_dwLastError = outcome == CopyOutcome::kCopied      ? 0
                    : outcome == CopyOutcome::kFolderIsLink ? kErrorStoppedOnLink
                                                            : ::GetLastError();
    return outcome == CopyOutcome::kCopied ? 1 : 0;
}

std::wstring RefusalText(DWORD dwError)
{
    switch (dwError) {
    case kErrorNotAProgram:
        return L"不是程序, 无人值守时不打开";
    case kErrorOtherDrive:
        return L"不在本程序所在的光盘或文件夹中, 无人值守时不使用 (/anydrive 允许)";
    case kErrorNoCommand:
        return L"目录中没有此项的这种安装命令 (如自动安装没有已知的静默参数), 没有运行";
    default:
        return {};
    }
}
