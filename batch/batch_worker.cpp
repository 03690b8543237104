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

#include "batch/save_disc.h"
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
#include <optional>

namespace {

// Carries out the planned save of one file from its held file into the
// folder held for the batch (or the folder below it that its target names,
// made and held on the way); false when its file is not in the folder
// afterwards (the Windows error is then the last error). Notes what the
// report must tell; written collects the targets that hold their file.
bool Save(const CHeldFile& source, const std::wstring& strSource, const PlannedSave& save, const CHeldFolder& root,
          CSaveFolders& folders, std::vector<std::wstring>& written, std::vector<std::wstring>& arrNotes)
{
    const bool bWritten = std::find(written.begin(), written.end(), save.strTarget) != written.end();
    switch (save.step) {
    case SaveStep::kAlreadyThere:
        arrNotes.push_back(NoteAlreadyThere(strSource));
        written.push_back(save.strTarget);
        return true;
    case SaveStep::kSameAsEarlier:
        // Copied by the earlier one; where that one was left out, by this.
        if (bWritten)
            return true;
        if (source.Held() && IdentityOf(save.strTarget) == IdentityOf(source.Get())) {
            written.push_back(save.strTarget);
            return true;
        }
        break;
    case SaveStep::kCopy:
        break;
    default:
        return false;
    }
    if (save.strTarget.empty() || !source.Held())
        return false;
    if (!root.IsHeld()) {
        if (root.Error() == kErrorStoppedOnLink)
            arrNotes.push_back(NoteFolderIsLink(save.strTarget));
        ::SetLastError(root.Error());
        return false;
    }
    // A file the batch replaces is one that no item reads; a renamed one
    // takes a name that was free.
    const CHeldFolder* pFolder = folders.Folder(FolderPart(save.strRelative));
    if (!pFolder || !pFolder->CopyInto(source.Get(), NamePart(save.strRelative), save.bRenamed)) {
        if (::GetLastError() == kErrorStoppedOnLink)
            arrNotes.push_back(NoteFolderIsLink(save.strTarget));
        return false;
    }
    if (save.bRenamed && save.step == SaveStep::kCopy)
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

const wchar_t* ExtraKindText(DiscFileKind kind)
{
    switch (kind) {
    case DiscFileKind::kProgram:
        return L"自动安装的程序";
    case DiscFileKind::kIcon:
        return L"图标";
    case DiscFileKind::kCategoryIcon:
        return L"分类图标";
    case DiscFileKind::kFolderFile:
        return L"安装程序文件夹中的文件";
    default:
        return L"安装程序";
    }
}

// What a save does beside copying the items' installers so that its folder
// works as a disc: what each saved item's entry brings, right after it; the
// categories' icons, the program and the catalogue after the last item.
class CDiscSave {
public:
    CDiscSave(CProgDlg& dlg, CBatchLog& log, const DiscPlan& plan, const CHeldFolder& root, CSaveFolders& folders,
              std::vector<std::wstring>& written, std::vector<std::wstring>& failedLines)
        : m_dlg(dlg), m_log(log), m_plan(plan), m_root(root), m_folders(folders), m_written(written),
          m_failedLines(failedLines), m_bSaved(plan.files.size(), false)
    {
    }

    // Item i's installer is in the folder.
    void ItemSaved(size_t i)
    {
        m_bSaved[i] = true;
        for (size_t n = m_plan.items.size(); n < m_plan.files.size(); ++n) {
            const DiscFile& file = m_plan.files[n];
            if (file.kind != DiscFileKind::kCategoryIcon && file.owners.front() == i)
                SaveFile(n);
        }
    }

    // After the last item, when some item was saved: the categories' icons,
    // what a folder copy left out, the program and the catalogue.
    void Finish()
    {
        const auto anySaved = [&](const std::vector<size_t>& owners) {
            return std::any_of(owners.begin(), owners.end(), [&](size_t i) { return m_bSaved[i]; });
        };
        const auto itemsEnd = m_bSaved.begin() + static_cast<std::ptrdiff_t>(m_plan.items.size());
        if (std::none_of(m_bSaved.begin(), itemsEnd, [](bool bSaved) { return bSaved; }))
            return;
        for (size_t n = m_plan.items.size(); n < m_plan.files.size(); ++n) {
            if (m_plan.files[n].kind == DiscFileKind::kCategoryIcon && anySaved(m_plan.files[n].owners))
                SaveFile(n);
        }
        size_t nLeftOut = 0;
        for (const LeftOut& passed : m_plan.leftOut) {
            const auto filesEnd = m_plan.files.begin() + static_cast<std::ptrdiff_t>(m_plan.items.size());
            const auto owner = std::find_if(m_plan.files.begin(), filesEnd,
                                            [&](const DiscFile& file) { return file.strOwner == passed.strOwner; });
            if (owner == filesEnd || !m_bSaved[static_cast<size_t>(owner - m_plan.files.begin())])
                continue;
            m_log.Extra(LogExtra{ExtraOutcome::kLeftOut, ExtraKindText(DiscFileKind::kFolderFile), passed.strOwner,
                                 passed.strPath, {}, passed.strWhy});
            ++nLeftOut;
        }
        const SaveDisc& disc = *m_dlg.m_pDisc;
        SaveProgram(disc);
        if (m_nCopied > 0)
            m_dlg.m_arrNotes.push_back(L"另外复制了 " + std::to_wstring(m_nCopied) +
                                       L" 个文件 (图标、安装程序文件夹中的文件等, 详见日志)");
        if (nLeftOut > 0)
            m_dlg.m_arrNotes.push_back(L"复制安装程序的文件夹时有 " + std::to_wstring(nLeftOut) +
                                       L" 处没有复制 (详见日志)");
        SaveCatalogue(disc);
    }

private:
    // Copies extra file n, logs it and counts it.
    void SaveFile(size_t n)
    {
        const DiscFile& file = m_plan.files[n];
        const PlannedSave& save = m_plan.saves[n];
        LogExtra extra{ExtraOutcome::kCopied, ExtraKindText(file.kind), file.strOwner, file.resolved.strFile,
                       save.strTarget, {}};
        const bool bHolds = save.step == SaveStep::kCopy || save.step == SaveStep::kSameAsEarlier;
        const CHeldFile source = bHolds ? CHeldFile(file.resolved) : CHeldFile();
        const size_t nWritten = m_written.size();
        // Notes of the files beside the installers go to the log alone.
        std::vector<std::wstring> notes;
        m_bSaved[n] = Save(source, file.resolved.strFile, save, m_root, m_folders, m_written, notes);
        const DWORD dwError = !file.resolved.bFound ? ERROR_FILE_NOT_FOUND
                              : bHolds && source.Error() ? source.Error()
                              : ::GetLastError() ? ::GetLastError()
                                                 : ERROR_GEN_FAILURE;
        if (!m_bSaved[n]) {
            extra.outcome = ExtraOutcome::kFailed;
            extra.strNote = ItemErrorText(dwError);
            m_dlg.m_summary.arrExtraFailed.push_back(NamedLine(std::wstring(extra.strKind) + L" | " + file.strOwner,
                                                               file.resolved.strFile) +
                                                     L" (" + extra.strNote + L")");
            m_failedLines.push_back(m_dlg.m_summary.arrExtraFailed.back());
        } else if (m_written.size() == nWritten || save.step == SaveStep::kAlreadyThere) {
            extra.outcome = ExtraOutcome::kAlreadyThere;
        } else {
            ++m_nCopied;
            if (save.bRenamed)
                extra.strNote = L"文件夹中已有同名文件, 另存为此名";
        }
        m_log.Extra(extra);
    }

    void SaveProgram(const SaveDisc& disc)
    {
        const std::wstring target = m_root.Path() + L"\\" + DiscProgramName(disc);
        LogExtra extra{ExtraOutcome::kCopied, L"程序", {}, disc.strProgram, target, {}};
        switch (CopyProgramInto(disc, m_root)) {
        case ProgramCopy::kCopied:
            ++m_nCopied;
            break;
        case ProgramCopy::kAlreadyThere:
            extra.outcome = ExtraOutcome::kAlreadyThere;
            extra.strNote = L"文件夹中已有此文件, 没有替换";
            m_dlg.m_arrNotes.push_back(L"文件夹中已有 " + DiscProgramName(disc) + L", 没有替换: " + target);
            break;
        case ProgramCopy::kFailed:
            extra.outcome = ExtraOutcome::kFailed;
            extra.strNote = ItemErrorText(::GetLastError() ? ::GetLastError() : ERROR_GEN_FAILURE);
            m_dlg.m_summary.arrExtraFailed.push_back(L"程序 | " + disc.strProgram + L" (" + extra.strNote + L")");
            m_failedLines.push_back(m_dlg.m_summary.arrExtraFailed.back());
            break;
        }
        m_log.Extra(extra);
    }

    void SaveCatalogue(const SaveDisc& disc)
    {
        const DiscCatalogueResult result = WriteDiscCatalogue(disc, SavedEntries(m_plan, m_bSaved),
                                                              SavedCategories(disc, m_plan, m_bSaved), m_root);
        BatchSummary& summary = m_dlg.m_summary;
        std::wstring line;
        if (!result.bDone) {
            summary.strCatalogueError = result.strPath + L" (" + result.strError + L")";
            line = L"目录文件无法写入: " + summary.strCatalogueError;
            m_failedLines.push_back(L"目录文件 | " + summary.strCatalogueError);
        } else {
            summary.strCatalogueWritten = result.strPath;
            const std::wstring counts = L"新增 " + std::to_wstring(result.count.nAdded) + L" 款软件" +
                                        (result.count.nKept ? L", 已有 " + std::to_wstring(result.count.nKept) + L" 款"
                                                            : std::wstring());
            line = !result.bChanged ? L"目录文件中已有保存的软件, 没有改动: " + result.strPath
                   : result.bMerged ? L"目录文件已与文件夹中原有的目录合并: " + result.strPath + L" (" + counts + L")"
                                    : L"目录文件已写入: " + result.strPath + L" (" + counts + L")";
            m_dlg.m_arrNotes.push_back(line);
        }
        m_log.Note(line);
    }

    CProgDlg& m_dlg;
    CBatchLog& m_log;
    const DiscPlan& m_plan;
    const CHeldFolder& m_root;
    CSaveFolders& m_folders;
    std::vector<std::wstring>& m_written;
    std::vector<std::wstring>& m_failedLines;
    // Per file of the plan: whether it is in the folder.
    std::vector<bool> m_bSaved;
    size_t m_nCopied = 0;
};

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
    DiscPlan plan;
    std::vector<std::wstring> written;
    // The folder is looked at and held once, for every item: nothing can
    // move it or put a link in its place until the batch ends. The folders
    // below it are made and held as the files need them.
    CHeldFolder saveFolder;
    CSaveFolders folders(saveFolder);
    const bool bPlanned = nMode == kSaveBatch && !pDlg->m_strSavePath.empty();
    if (bPlanned) {
        saveFolder.Hold(pDlg->m_strSavePath, options.bMakeSaveFolder);
        std::vector<ResolvedItem> sources = items;
        for (ResolvedItem& resolved : sources)
            resolved.bFound = resolved.bFound && !RefusedForItsDrive(resolved, options);
        plan = PlanSave(sources, pDlg->m_pDisc, pDlg->m_strSavePath);
    }
    // The report's lines: each failed item's path and why it failed.
    std::vector<std::wstring> failedLines;
    std::optional<CDiscSave> disc;
    if (bPlanned && pDlg->m_pDisc)
        disc.emplace(*pDlg, log, plan, saveFolder, folders, written, failedLines);
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
        bool bItemSaved = false;
        if (nMode == kSaveBatch) {
            // Without a folder there is nowhere to copy to. The file is
            // held from the check until its copy is done.
            const SaveStep step = bPlanned ? plan.saves[i].step : SaveStep::kNotFound;
            const bool bCopies = step == SaveStep::kCopy || step == SaveStep::kSameAsEarlier;
            const CHeldFile source = bCopies ? CHeldFile(resolved) : CHeldFile();
            const bool bSaved =
                bPlanned && Save(source, strPath, plan.saves[i], saveFolder, folders, written, pDlg->m_arrNotes);
            NoteCopy(item, bSaved, resolved.bFound, bCopies ? source.Error() : 0,
                     !bPlanned || plan.saves[i].strTarget.empty() ? pDlg->m_strSavePath : plan.saves[i].strTarget);
            if (RefusedForItsDrive(resolved, options)) {
                item.bFound = true;
                item.dwCode = kErrorOtherDrive;
            }
            bItemSaved = bSaved;
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
        // The item's line first, then the files its entry brings.
        if (bItemSaved && disc)
            disc->ItemSaved(i);
        if (options.onItemEnded)
            options.onItemEnded(i);
    }
    if (disc)
        disc->Finish();
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
