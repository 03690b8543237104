// The batch workers: one pass over the items of the progress window
// constructed last, the report, then the window's close request. The bar's
// range, the captions and the bar's steps are handed to the window without
// waiting for it to draw them (the window shows them on its own thread, in
// order); an install batch waits until an item's caption is up before it
// starts the item, and every batch waits for them all before it reports.
// Every item's outcome goes into the batch's log as the item ends.
#include "batch/batch_log.h"
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"

#include "platform/system_dialogs.h"
#include "platform/thread.h"
#include "shell/shell.h"

#include <commctrl.h>

#include <map>

namespace {

// A path as a key that two spellings of the same file share.
std::wstring PathKey(const std::wstring& strPath)
{
    std::wstring key(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(strPath.c_str(), static_cast<DWORD>(key.size()), key.data(), nullptr);
    if (n >= key.size()) {
        key.resize(n);
        n = ::GetFullPathNameW(strPath.c_str(), static_cast<DWORD>(key.size()), key.data(), nullptr);
    }
    key.resize(n > 0 && n < key.size() ? n : 0);
    if (key.empty())
        key = strPath;
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// The files a save batch has written, each with the source it came from: a
// later item never replaces one of them. Files that were in the folder
// before the batch are replaced, as a copy always did.
class CSavedFiles {
public:
    // Copies the located file of shell into the folder; true when the
    // file is there, copied now or by an earlier item of the same source.
    bool Save(CShell& shell, const std::wstring& strFolder)
    {
        std::wstring target = SaveDestination(strFolder, shell.m_strFile);
        const std::wstring source = PathKey(shell.m_strFile);
        const auto it = m_written.find(PathKey(target));
        if (it != m_written.end() && it->second == source)
            return true; // the same installer listed twice: copied once
        bool bFailIfExists = false;
        if (it != m_written.end()) {
            // Another installer of the same name: the next free name.
            const std::wstring taken = target;
            target.clear();
            for (int n = 2; n < 10000 && target.empty(); ++n) {
                std::wstring name = NumberedName(taken, n);
                if (!m_written.count(PathKey(name)) && ::GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES)
                    target = std::move(name);
            }
            if (target.empty())
                return false;
            bFailIfExists = true;
        }
        m_strLastTarget = target;
        if (!shell.CopyTo(target, bFailIfExists))
            return false;
        m_written[PathKey(target)] = source;
        return true;
    }
    // Where the last Save copied to, or tried to.
    const std::wstring& LastTarget() const noexcept { return m_strLastTarget; }

private:
    std::wstring m_strLastTarget;
    std::map<std::wstring, std::wstring> m_written;
};

unsigned RunBatch(int nMode)
{
    CProgDlg* pDlg = g_pProgDlg;
    if (!pDlg)
        return 0;
    // The shell wants COM on a thread that starts programs through it.
    const CComApartment com;
    static const std::vector<std::wstring> s_noItems;
    const std::vector<std::wstring>& items = pDlg->m_pSourceList ? *pDlg->m_pSourceList : s_noItems;
    const size_t nItems = items.size();

    pDlg->QueueStart(static_cast<int>(nItems), BatchCaption(nMode, 0.0f, std::wstring()));

    const BatchOptions& options = pDlg->m_options;
    CBatchLog log(options, nMode, pDlg->m_strSavePath);

    CShell shell;
    CSavedFiles saved;
    // The report's lines: each failed item's path and why it failed.
    std::vector<std::wstring> failedLines;
    for (size_t i = 0; i < nItems; ++i) {
        const ULONGLONG nStart = ::GetTickCount64();
        shell.Locate(items[i], std::wstring());
        const std::wstring strPath = shell.m_strFile;
        const float fPercent = static_cast<float>(static_cast<double>(i + 1) / static_cast<double>(nItems) * 100.0);
        pDlg->QueueStep(BatchCaption(nMode, fPercent, strPath));

        LogItem item;
        item.strName = i < options.arrNames.size() ? options.arrNames[i] : strPath;
        item.bFound = shell.m_bFound;
        if (nMode == kSaveBatch) {
            // Without a folder there is nowhere to copy to.
            const bool bSaved =
                shell.m_bFound && !pDlg->m_strSavePath.empty() && saved.Save(shell, pDlg->m_strSavePath);
            if (bSaved)
                item.dwCode = 0;
            else if (!shell.m_bFound)
                item.dwCode = ERROR_FILE_NOT_FOUND;
            else
                item.dwCode = pDlg->m_strSavePath.empty() ? ERROR_PATH_NOT_FOUND : shell.LastError();
            item.strWork = strPath + L" -> " + (shell.m_bFound ? saved.LastTarget() : pDlg->m_strSavePath);
            item.bCopy = true;
            item.outcome = bSaved ? ItemOutcome::Succeeded : ItemOutcome::Failed;
        } else {
            // The caption names the item before it starts.
            pDlg->ShowSteps();
            item.strWork = shell.m_strParameters.empty() ? strPath : strPath + L" " + shell.m_strParameters;
            RunInstaller(shell, options, item);
        }
        item.nMilliseconds = ::GetTickCount64() - nStart;
        if (item.outcome == ItemOutcome::Failed) {
            pDlg->m_arrFailed.push_back(strPath);
            failedLines.push_back(strPath + L" " + FailureReason(item));
        }
        else if (item.outcome == ItemOutcome::RestartNeeded)
            pDlg->m_summary.arrRestart.push_back(item.strName);
        log.Item(item);
    }
    pDlg->ShowSteps();
    log.Finish(pDlg->m_summary);

    if (options.bReport) {
        pDlg->WaitUntilReady();
        const HWND hOwner = ::GetParent(pDlg->m_hWnd);
        const BatchReport report = MakeBatchReport(nMode, failedLines, pDlg->m_strSavePath, pDlg->m_summary);
        if (ShowMessageBox(hOwner, report.strText, report.strCaption, report.nType) == IDYES && !RestartSystem())
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
