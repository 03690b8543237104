// The batch workers: one pass over the items of the progress window
// constructed last, the report, then the window's close request. The bar's
// range, the captions and the bar's steps are handed to the window without
// waiting for it to draw them (the window shows them on its own thread, in
// order); an install batch waits until an item's caption is up before it
// starts the item, and every batch waits for them all before it reports.
// Every item's outcome goes into the batch's log as the item ends. When the
// user has chosen to stop, or an installer has started a restart, the items
// not yet begun are logged and reported as not run; the one that was
// running always ends on its own.
#include "batch/batch_log.h"
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"

#include "batch/save_plan.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "shell/held_folder.h"
#include "shell/resolved_item.h"
#include "shell/safe_copy.h"
#include "shell/shell.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The last part of a path: the name a planned target has in its folder.
std::wstring LeafName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Carries out the planned save of one item from its held file into the
// folder held for the batch; false when its file is not in the folder
// afterwards (the Windows error is then the last error). Notes what the
// report must tell; written collects the targets that hold their file.
bool Save(const CHeldFile& source, const std::wstring& strSource, const PlannedSave& save, const CHeldFolder& folder,
          std::vector<std::wstring>& written, std::vector<std::wstring>& arrNotes)
{
    switch (save.step) {
    case SaveStep::kAlreadyThere:
        arrNotes.push_back(NoteAlreadyThere(strSource));
        written.push_back(save.strTarget);
        return true;
    case SaveStep::kSameAsEarlier:
        return std::find(written.begin(), written.end(), save.strTarget) != written.end();
    case SaveStep::kCopy:
        break;
    default:
        return false;
    }
    if (save.strTarget.empty() || !source.Held())
        return false;
    if (!folder.IsHeld()) {
        if (folder.Error() == kErrorStoppedOnLink)
            arrNotes.push_back(NoteFolderIsLink(save.strTarget));
        ::SetLastError(folder.Error());
        return false;
    }
    // A file the batch replaces is one that no item reads; a renamed one
    // takes a name that was free.
    if (!folder.CopyInto(source.Get(), LeafName(save.strTarget), save.bRenamed)) {
        if (::GetLastError() == kErrorStoppedOnLink)
            arrNotes.push_back(NoteFolderIsLink(save.strTarget));
        return false;
    }
    if (save.bRenamed)
        arrNotes.push_back(NoteRenamed(strSource, save.strTarget));
    written.push_back(save.strTarget);
    return true;
}

// Copies the held file to the chosen file strTarget. The installer's own
// file as the target is refused, as the row's save always did.
bool SaveAs(const CHeldFile& source, const std::wstring& strTarget,
            std::vector<std::wstring>& arrNotes)
{
    if (strTarget.empty() || !source.Held() || IdentityOf(strTarget) == IdentityOf(source.Get()))
        return false;
    const CopyOutcome outcome = CopyWithoutFollowingLinks(source.Get(), strTarget, false);
    if (outcome == CopyOutcome::kFolderIsLink) {
        arrNotes.push_back(NoteFolderIsLink(strTarget));
        ::SetLastError(kErrorStoppedOnLink);
    }
    return outcome == CopyOutcome::kCopied;
}

// Whether an unattended batch leaves the item alone for the drive its
// file was found on.
bool RefusedForItsDrive(const ResolvedItem& resolved, const BatchOptions& options)
{
    return RefusedForDrive(FromOtherDrive(resolved), options.bUnattended, options.bAnyDrive);
}

// Notes a copy's outcome for the log; dwHoldError is why the source could
// not be held, or 0.
void NoteCopy(LogItem& item, bool bSaved, bool bFound, DWORD dwHoldError, const std::wstring& strTarget)
{
    const DWORD dwError = ::GetLastError();
    item.bFound = bFound;
    item.dwCode = bSaved             ? 0
                  : !bFound          ? ERROR_FILE_NOT_FOUND
                  : dwHoldError      ? dwHoldError
                  : strTarget.empty() ? ERROR_PATH_NOT_FOUND
                  : dwError          ? dwError
                                     : ERROR_GEN_FAILURE;
    item.strTarget = strTarget;
    item.bCopy = true;
    item.outcome = bSaved ? ItemOutcome::Succeeded : ItemOutcome::Failed;
}

unsigned RunBatch(int nMode)
{
    CProgDlg* pDlg = g_pProgDlg;
    if (!pDlg)
        return 0;
    // The shell wants COM on a thread that starts programs through it.
    const CComApartment com;
    static const std::vector<ResolvedItem> s_noItems;
    const std::vector<ResolvedItem>& items = pDlg->m_pItems ? *pDlg->m_pItems : s_noItems;
    const size_t nItems = items.size();

    pDlg->QueueStart(static_cast<int>(nItems), BatchCaption(nMode, 0.0f));

    const BatchOptions& options = pDlg->m_options;
    CBatchLog log(options, nMode, pDlg->m_strSavePath);

    // A save batch decides where each file goes before it writes anything;
    // a file refused for its drive goes nowhere.
    std::vector<PlannedSave> plan;
    std::vector<std::wstring> written;
    // The folder is looked at and held once, for every item: nothing can
    // move it or put a link in its place until the batch ends.
    CHeldFolder saveFolder;
    if (nMode == kSaveBatch && !pDlg->m_strSavePath.empty()) {
        saveFolder.Hold(pDlg->m_strSavePath, options.bMakeSaveFolder);
        std::vector<std::wstring> sources;
        for (const ResolvedItem& resolved : items)
            sources.push_back(resolved.bFound && !RefusedForItsDrive(resolved, options) ? resolved.strFile
                                                                                        : std::wstring());
        plan = PlanSaves(sources, pDlg->m_strSavePath);
    }
    // The report's lines: each failed item's path and why it failed.
    std::vector<std::wstring> failedLines;
    for (size_t i = 0; i < nItems; ++i) {
        const ULONGLONG nStart = ::GetTickCount64();
        const ResolvedItem& resolved = items[i];
        const std::wstring& strPath = resolved.strFile;
        LogItem item;
        item.strName = resolved.strName.empty() ? strPath : resolved.strName;
        item.strLine = platform_text::TrimSpace(resolved.strConfigured);
        item.strFile = resolved.bFound ? strPath : std::wstring();
        item.strDrive = resolved.strDrive;
        if (nMode == kInstallBatch)
            item.strParameters = resolved.strParameters;
        // After a started restart nothing more starts, as the machine goes
        // down; nor once the user chose to stop (asked, the worker waits
        // for the answer).
        item.bAfterRestart = !pDlg->m_summary.strRestartStarted.empty();
        if (item.bAfterRestart || pDlg->StopRequested()) {
            item.outcome = ItemOutcome::NotRun;
            pDlg->m_summary.arrNotRun.push_back(NamedLine(resolved.strName, strPath));
            log.Item(item);
            continue;
        }
        const float fPercent = static_cast<float>(static_cast<double>(i + 1) / static_cast<double>(nItems) * 100.0);
        pDlg->QueueStep(BatchCaption(nMode, fPercent, i + 1, nItems, resolved.strName, strPath));

        item.bFound = resolved.bFound;
        if (nMode == kSaveBatch) {
            // Without a folder there is nowhere to copy to. The file is
            // held from the check until its copy is done.
            const bool bCopies = !plan.empty() && plan[i].step == SaveStep::kCopy;
            const CHeldFile source = bCopies ? CHeldFile(resolved) : CHeldFile();
            const bool bSaved =
                !plan.empty() && Save(source, strPath, plan[i], saveFolder, written, pDlg->m_arrNotes);
            NoteCopy(item, bSaved, resolved.bFound, bCopies ? source.Error() : 0,
                     plan.empty() || plan[i].strTarget.empty() ? pDlg->m_strSavePath : plan[i].strTarget);
            if (RefusedForItsDrive(resolved, options)) {
                item.bFound = true;
                item.dwCode = kErrorOtherDrive;
            }
        } else if (nMode == kSaveFileBatch) {
            const CHeldFile source = resolved.bFound ? CHeldFile(resolved) : CHeldFile();
            const bool bSaved = SaveAs(source, pDlg->m_strSavePath, pDlg->m_arrNotes);
            NoteCopy(item, bSaved, resolved.bFound, source.Error(), pDlg->m_strSavePath);
            // The one who asked words the failure, and needs its reason.
            if (source.Error() == kErrorFileReplaced)
                pDlg->m_arrNotes.push_back(kReplacedText);
        } else if (platform_text::TrimSpace(resolved.strConfigured).empty()) {
            // The catalogue gives the entry no command for this install
            // (an installer with no known silent switches has no automatic
            // one): nothing to run, and no file that was not found.
            item.bFound = true;
            item.dwCode = kErrorNoCommand;
            item.outcome = ItemOutcome::Failed;
        } else {
            // The caption names the item before it starts.
            pDlg->ShowSteps();
            RunInstaller(resolved, options, pDlg->EndItemEvent(), item);
            if (item.bExitCode && item.dwCode == ERROR_SUCCESS_REBOOT_INITIATED)
                pDlg->m_summary.strRestartStarted = item.strName;
        }
        item.nMilliseconds = ::GetTickCount64() - nStart;
        if (item.outcome == ItemOutcome::Failed) {
            pDlg->m_arrFailed.push_back(strPath);
            failedLines.push_back(NamedLine(resolved.strName, strPath) + L" " + FailureReason(item));
            pDlg->m_summary.bAnyNotFound = pDlg->m_summary.bAnyNotFound || !item.bFound;
        }
        else if (item.outcome == ItemOutcome::RestartNeeded)
            pDlg->m_summary.arrRestart.push_back(item.strName);
        log.Item(item);
        if (options.onItemEnded)
            options.onItemEnded(i);
    }
    pDlg->ItemsDone();
    pDlg->ShowSteps();
    log.Finish(pDlg->m_summary);

    // The copy to a file the technician picked is reported by the one who asked.
    if (options.bReport && nMode != kSaveFileBatch) {
        pDlg->WaitUntilReady();
        const HWND hOwner = ::GetParent(pDlg->m_hWnd);
        const BatchReport report =
            options.strRowCaption.empty()
                ? MakeBatchReport(nMode, failedLines, pDlg->m_strSavePath, pDlg->m_summary, pDlg->m_arrNotes)
                : MakeRowReport(options.strRowCaption, failedLines, pDlg->m_summary);
        // The machine restarts only when the report asked whether to.
        const bool bAsked = (report.nType & MB_YESNO) != 0;
        if (ShowMessageBox(hOwner, report.strText, report.strCaption, report.nType) == IDYES && bAsked &&
            !RestartSystem())
            ShowMessageBox(hOwner, L"无法重新启动计算机 (Windows 错误 " + std::to_wstring(::GetLastError()) +
                                       L"), 请稍后手动重新启动。",
                           report.strCaption, MB_ICONEXCLAMATION);
    }
    pDlg->CloseFromWorker();
    return 0;
}

} // namespace

unsigned InstallThreadProc(void*)
{
    return RunBatch(kInstallBatch);
}

unsigned SaveThreadProc(void*)
{
    return RunBatch(kSaveBatch);
}

unsigned SaveFileThreadProc(void*)
{
    return RunBatch(kSaveFileBatch);
}
