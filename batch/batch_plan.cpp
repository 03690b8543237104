#include "batch/batch_plan.h"

#include "batch/batch_texts.h"
#include "shell/shell.h"

void RunInstaller(CShell& shell, const BatchOptions& options, LogItem& item)
{
    for (item.nAttempts = 1;; ++item.nAttempts) {
        const HANDLE hProcess = shell.Run(true);
        DWORD dwExitCode = 0;
        item.bExitCode = hProcess && ::GetExitCodeProcess(hProcess, &dwExitCode);
        item.dwCode = item.bExitCode ? dwExitCode : shell.LastError();
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
