#include "batch/batch_plan.h"

#include "batch/batch_texts.h"
#include "shell/resolved_item.h"
#include "shell/shell.h"

void RunInstaller(const ResolvedItem& resolved, const BatchOptions& options, LogItem& item)
{
    CShell shell;
    shell.Take(resolved);
    shell.m_bUnattended = options.bUnattended;
    shell.m_bAnyDrive = options.bAnyDrive;
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
            if (hProcess)
                ::WaitForSingleObject(hProcess, INFINITE);
            held.Release();
        }
        DWORD dwExitCode = 0;
        item.bExitCode = hProcess && ::GetExitCodeProcess(hProcess, &dwExitCode);
        item.dwCode = item.bExitCode ? dwExitCode : held.Error() ? held.Error() : shell.LastError();
        if (!item.bExitCode || dwExitCode != ERROR_INSTALL_ALREADY_RUNNING || item.nAttempts > options.nBusyRetries)
            break;
        ::Sleep(options.dwBusyWaitMs);
    }
    if (!item.bExitCode || !InstallerSucceeded(item.dwCode))
        item.outcome = ItemOutcome::Failed;
    else if (item.dwCode == ERROR_SUCCESS)
        item.outcome = ItemOutcome::Succeeded;
    else
        item.outcome = ItemOutcome::RestartNeeded;
}

int BatchExitCode(size_t nFailed, const BatchSummary& summary) noexcept
{
    if (nFailed > 0 || summary.dwLogError != 0)
        return kExitFailed;
    if (!summary.strRestartStarted.empty())
        return kExitRestartStarted;
    if (!summary.arrNotRun.empty())
        return kExitFailed;
    return summary.arrRestart.empty() ? kExitSuccess : kExitRestartNeeded;
}
