#include "batch/batch_plan.h"

#include "batch/batch_texts.h"
#include "shell/resolved_item.h"
#include "shell/shell.h"

namespace {

// The exit codes an ended installer is given: its process then tells
// whether it ended before the batch came to end it.
constexpr DWORD kTimedOutExitCode = ERROR_TIMEOUT;
constexpr DWORD kEndedExitCode = ERROR_CANCELLED;
// How long an installer that is being ended may take to go.
constexpr DWORD kEndingWaitMs = 30000;

// Waits for the started installer until it ends, its time is up or hEndItem
// is set; then ends it, with every process of the job when it is in one.
// dwEndError receives the Windows error when it could not be ended.
InstallerEnd WaitForInstaller(const CShell& shell, HANDLE hProcess, HANDLE hEndItem, DWORD dwTimeoutMs,
                              DWORD& dwEndError)
{
    const HANDLE waits[2] = {hProcess, hEndItem};
    const DWORD dwWait = ::WaitForMultipleObjects(hEndItem ? 2 : 1, waits, FALSE, dwTimeoutMs);
    if (dwWait == WAIT_OBJECT_0)
        return InstallerEnd::kByItself;
    const bool bTimedOut = dwWait == WAIT_TIMEOUT;
    const DWORD dwCode = bTimedOut ? kTimedOutExitCode : kEndedExitCode;
    const bool bEnded = (shell.m_bInJob && ::TerminateJobObject(shell.m_hJob, dwCode)) ||
                        ::TerminateProcess(hProcess, dwCode);
    dwEndError = bEnded ? WAIT_TIMEOUT : ::GetLastError();
    if (::WaitForSingleObject(hProcess, bEnded ? kEndingWaitMs : 0) != WAIT_OBJECT_0)
        return InstallerEnd::kNotEnded;
    DWORD dwExitCode = 0;
    if (::GetExitCodeProcess(hProcess, &dwExitCode) && dwExitCode != dwCode)
        return InstallerEnd::kByItself;
    return bTimedOut ? InstallerEnd::kTimedOut : InstallerEnd::kEndedByUser;
}

} // namespace

void RunInstaller(const ResolvedItem& resolved, const BatchOptions& options, HANDLE hEndItem, LogItem& item)
{
    CShell shell;
    shell.Take(resolved);
    shell.m_bUnattended = options.bUnattended;
    shell.m_bAnyDrive = options.bAnyDrive;
    // The installer and whatever it starts stay together, to be ended as one.
    const CKernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    shell.m_hJob = job.Get();
    item.bWindowsInstaller = InstalledByWindowsInstaller(resolved.strFile);
    const ULONGLONG nStart = ::GetTickCount64();
    DWORD dwEndError = 0;
    for (item.nAttempts = 1;; ++item.nAttempts) {
        // The file is checked and held before each start: until its
        // process has started, or, for a file the process reads as it
        // runs, until the process ends.
        CHeldFile held(resolved);
        HANDLE hProcess = nullptr;
        if (held.Held()) {
            hProcess = shell.Run(false);
            if (!ReadAfterStart(resolved.strFile))
                held.Release();
            // The time-out counts from the first start, busy waits included.
            const ULONGLONG nSpent = ::GetTickCount64() - nStart;
            const DWORD dwLeft = options.dwItemTimeoutMs == INFINITE ? INFINITE
                                 : nSpent >= options.dwItemTimeoutMs
                                     ? 0
                                     : options.dwItemTimeoutMs - static_cast<DWORD>(nSpent);
            item.bInJob = shell.m_bInJob;
            if (hProcess)
                item.end = WaitForInstaller(shell, hProcess, hEndItem, dwLeft, dwEndError);
            held.Release();
        }
        DWORD dwExitCode = 0;
        item.bExitCode = hProcess && ::GetExitCodeProcess(hProcess, &dwExitCode);
        item.dwCode = item.bExitCode ? dwExitCode : held.Error() ? held.Error() : shell.LastError();
        if (item.end == InstallerEnd::kNotEnded) {
            item.bExitCode = false;
            item.dwCode = dwEndError;
        }
        if (item.end != InstallerEnd::kByItself || !item.bExitCode || dwExitCode != ERROR_INSTALL_ALREADY_RUNNING ||
            item.nAttempts > options.nBusyRetries)
            break;
        // The wait before the next attempt ends early at the user's request.
        if (!hEndItem) {
            ::Sleep(options.dwBusyWaitMs);
        } else if (::WaitForSingleObject(hEndItem, options.dwBusyWaitMs) == WAIT_OBJECT_0) {
            item.end = InstallerEnd::kEndedByUser;
            break;
        }
    }
    if (item.end != InstallerEnd::kByItself || !item.bExitCode || !InstallerSucceeded(item.dwCode))
        item.outcome = ItemOutcome::Failed;
    else if (item.dwCode == ERROR_SUCCESS)
        item.outcome = ItemOutcome::Succeeded;
    else
        item.outcome = ItemOutcome::RestartNeeded;
}

int BatchExitCode(size_t nFailed, const BatchSummary& summary) noexcept
{
    if (nFailed > 0 || summary.dwLogError != 0 || !summary.arrExtraFailed.empty() ||
        !summary.strCatalogueError.empty())
        return kExitFailed;
    if (!summary.strRestartStarted.empty())
        return kExitRestartStarted;
    if (!summary.arrNotRun.empty())
        return kExitFailed;
    return summary.arrRestart.empty() ? kExitSuccess : kExitRestartNeeded;
}
