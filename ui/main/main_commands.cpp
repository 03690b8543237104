// The main window's commands: select-all, the install and save batches over
// the checked entries, a row's links (an install is a batch of one), the
// install-mode and help menus.
#include "ui/main/QuillsetDlg.h"

#include "batch/batch_lock.h"
#include "batch/prog_dlg.h"
#include "batch/save_folder.h"
#include "catalogue/catalogue.h"
#include "platform/module_path.h"
#include "platform/system_dialogs.h"
#include "res/resource.h"
#include "ui/about/AboutDlg.h"
#include "ui/about/HelpDlg.h"
#include "ui/main/command_texts.h"
#include "ui/main/row_actions.h"

#include <utility>

using namespace command_texts;

void CQuillsetDlg::CollectSelection(std::wstring SoftwareEntry::*pItem)
{
    m_arrBatch.clear();
    m_arrBatchSections.clear();
    if (!m_pSettings)
        return;
    // Each item is looked up here, once: the confirmation shows what was
    // found and the batch acts on exactly that.
    for (const SoftwareEntry* pEntry : SelectEntries(*m_pSettings, [](const SoftwareEntry& entry) {
             return entry.Checked != 0;
         })) {
        m_arrBatch.push_back(ResolveItem(pEntry->Name, pEntry->*pItem));
        m_arrBatchSections.push_back(static_cast<size_t>(pEntry - m_pSettings->Entries.data()));
    }
}

void CQuillsetDlg::RunBatch(int nMode, const std::wstring& strSavePath, const std::wstring& strRowCaption)
{
    const std::wstring caption = !strRowCaption.empty() ? strRowCaption : nMode == 0 ? kCaptionInstall : kCaptionSave;
    {
        // One batch at a time on this machine, held until this one has
        // ended: not while the window asks what to do next.
        CBatchLock lock;
        if (!lock.Take()) {
            ShowMessageBox(m_hWnd, BatchLockRefusal(lock.Error()), caption, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        const bool bWasBusy = std::exchange(m_bBusy, true);
        ShowWindow(m_hWnd, SW_HIDE);
        CProgDlg dlg(this);
        dlg.m_nMode = nMode;
        dlg.m_pItems = &m_arrBatch;
        dlg.m_strSavePath = strSavePath;
        dlg.m_pDisc = nMode == 1 && !m_strCatalogue.empty() ? &m_saveDisc : nullptr;
        dlg.m_options.strCatalogue = ProfilePathFor(ProgramPlace().Path());
        dlg.m_options.bStoppable = true;
        dlg.m_options.strRowCaption = strRowCaption;
        dlg.DoModal();
        // Clicks given on the window before it hid wait no longer: the batch
        // they would have started again has run.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
        m_bBusy = bWasBusy;
        if (nMode == 0)
            ShowResults(dlg.m_summary.arrItems, m_arrBatchSections);
    }
    ShowWindow(m_hWnd, SW_SHOW);
    if (nMode != 0)
        return;
    // What the installers did shows in the rows as it is read.
    StartDetection(false);
    // A row's install has told its one result already.
    if (strRowCaption.empty())
        OfferCheckUnfinished();
}

void CQuillsetDlg::OnInstallSelected()
{
    const bool bAutomatic = m_pSettings && m_pSettings->DefaultMode != 0;
    CollectSelection(bAutomatic ? &SoftwareEntry::AutoInstall : &SoftwareEntry::ManualInstall);
    if (m_arrBatch.empty()) {
        ShowMessageBox(m_hWnd, kNothingSelected, kCaptionInstall, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (ShowMessageBox(m_hWnd, InstallQuestion(bAutomatic, m_arrBatch), kCaptionInstall,
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    RunBatch(0, L"");
}

void CQuillsetDlg::OnSaveSelected()
{
    CollectSelection(&SoftwareEntry::ManualInstall);
    if (m_arrBatch.empty()) {
        ShowMessageBox(m_hWnd, kNothingSelected, kCaptionSave, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The folder becomes a disc of the catalogue the window shows: its
    // installers where the catalogue has them, with a catalogue of its own.
    const SaveDisc* pDisc = nullptr;
    if (!m_strCatalogue.empty() && m_pSettings) {
        std::vector<const SoftwareEntry*> entries;
        for (size_t nSection : m_arrBatchSections)
            entries.push_back(&m_pSettings->Entries[nSection]);
        m_saveDisc = MakeSaveDisc(*m_pSettings, entries, m_strCatalogue, ProgramPlace().Path());
        pDisc = &m_saveDisc;
    }
    std::wstring folder = m_pSettings ? m_pSettings->SavePath : std::wstring();
    for (;;) {
        while (folder.empty()) {
            const auto chosen =
                BrowseForFolder(m_hWnd, kChooseSaveFolder, row_actions::SaveStartFolder(m_strLastSaveFolder, folder));
            if (!chosen)
                return;
            folder = *chosen;
            if (folder.empty() &&
                ShowMessageBox(m_hWnd, kEmptyFolderAgain, kCaptionSave, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return;
        }
        // A folder the batch could not write into is found out now.
        const SaveFolderCheck check = CheckSaveFolder(folder, false, BytesToSave(m_arrBatch, folder, pDisc));
        if (check.Ok())
            break;
        if (ShowMessageBox(m_hWnd, SaveFolderAgain(folder, check.strReason), kCaptionSave,
                           MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
        folder.clear();
    }
    if (ShowMessageBox(m_hWnd, SaveQuestion(m_arrBatch, folder), kCaptionSave, MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    m_strLastSaveFolder = folder;
    RunBatch(1, folder);
}

void CQuillsetDlg::OpenMenuUnder(UINT nMenu, const CWnd& button, UINT nChecked, UINT nGrayed,
                                 void (CQuillsetDlg::*extend)(HMENU) const)
{
    const CMenu menu(::LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(nMenu)));
    HMENU hPopup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!hPopup)
        return;
    if (nChecked)
        ::CheckMenuItem(hPopup, nChecked, MF_BYCOMMAND | MF_CHECKED);
    if (nGrayed)
        ::EnableMenuItem(hPopup, nGrayed, MF_BYCOMMAND | MF_GRAYED);
    if (extend)
        (this->*extend)(hPopup);
    const RECT rc = button.GetWindowRect();
    ::TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, rc.left, rc.bottom, 0, m_hWnd, nullptr);
}

void CQuillsetDlg::OnInstallOptions()
{
    const bool bAutomatic = m_pSettings && m_pSettings->DefaultMode != 0;
    OpenMenuUnder(IDR_MENU_OPTIONS, m_btnOptions, bAutomatic ? ID_MODE_AUTO : ID_MODE_MANUAL,
                  m_arrUnfinished.empty() ? ID_CHECK_UNFINISHED : 0, &CQuillsetDlg::AddSetItems);
}

void CQuillsetDlg::OnHelpMenu()
{
    OpenMenuUnder(IDR_MENU_HELP, m_btnHelp, 0, 0);
}

void CQuillsetDlg::OnAbout()
{
    CAboutDlg dlg(this);
    dlg.m_pBackColor = &m_crBack;
    dlg.m_pBackBitmap = &m_bmpBanner;
    dlg.DoModal();
}

void CQuillsetDlg::OnHelpContents()
{
    CHelpDlg dlg(this, HelpText(m_strUsage));
    dlg.DoModal();
}

void CQuillsetDlg::SetInstallMode(bool bAutomatic)
{
    if (m_pSettings)
        m_pSettings->DefaultMode = bAutomatic ? 1 : 0;
    m_btnInstall.AssignBitmaps(
        dpi::LoadBitmapAt(bAutomatic ? IDB_INSTALL_AUTO_HOT : IDB_INSTALL_MANUAL_HOT, m_scale).Release(),
        dpi::LoadBitmapAt(bAutomatic ? IDB_INSTALL_AUTO : IDB_INSTALL_MANUAL, m_scale).Release());
    m_btnInstall.AssignTooltip(bAutomatic ? kTipAutoInstall : kTipManualInstall);
    m_btnInstall.SetWindowText(bAutomatic ? kLabelAutoInstall : kLabelManualInstall);
    m_btnInstall.Invalidate();
}

void CQuillsetDlg::OnModeAuto()
{
    SetInstallMode(true);
}

void CQuillsetDlg::OnModeManual()
{
    SetInstallMode(false);
}

BOOL CQuillsetDlg::OnCommand(WPARAM wp, LPARAM lp)
{
    if (LOWORD(wp) >= ID_SET_FIRST && LOWORD(wp) <= ID_SET_LAST) {
        OnChooseSet(LOWORD(wp) - size_t{ID_SET_FIRST});
        return TRUE;
    }
    switch (LOWORD(wp)) {
    case kIdSearch:
        if (HIWORD(wp) == EN_CHANGE)
            OnSearchChanged();
        return TRUE;
    case kIdSelectAll:
        OnSelectAll();
        return TRUE;
    case kIdSave:
        OnSaveSelected();
        return TRUE;
    case kIdInstall:
        OnInstallSelected();
        return TRUE;
    case kIdOptions:
        OnInstallOptions();
        return TRUE;
    case kIdHelp:
        OnHelpMenu();
        return TRUE;
    case IDM_ABOUTBOX:
        OnAbout();
        return TRUE;
    case ID_HELP_CONTENTS:
        OnHelpContents();
        return TRUE;
    case ID_MODE_AUTO:
        OnModeAuto();
        return TRUE;
    case ID_MODE_MANUAL:
        OnModeManual();
        return TRUE;
    case ID_CHECK_UNFINISHED:
        OnCheckUnfinished();
        return TRUE;
    case ID_SAVE_SET:
        OnSaveSet();
        return TRUE;
    default:
        return CDialog::OnCommand(wp, lp);
    }
}

void CQuillsetDlg::OnSelectAll()
{
    const int nChecked = m_btnSelectAll.Checked() != 0 ? 1 : 0;
    // Every list answers its check marks from the catalogue: the entries of
    // the list on show take the mark, and that list paints them once. The
    // other lists show them when they are next painted.
    // The entries on show: those the search found, where it found some.
    for (int r = 0; r < m_rows.Rows(m_nCurList) && Categories(); ++r) {
        const int nEntry = m_rows.EntryOfRow(m_nCurList, r);
        if (nEntry >= 0)
            Entry(nEntry).Checked = nChecked;
    }
    m_pEntryLists[static_cast<size_t>(m_nCurList)].Invalidate(FALSE);
    UpdateSelectionCount();
}

void CQuillsetDlg::OnEntryClick(const NMITEMACTIVATE* pNm)
{
    if (pNm->iSubItem != row_actions::kLinkColumn)
        return;
    ActOnRow(pNm->iItem, m_pEntryLists[static_cast<size_t>(m_nCurList)].HotLink());
}

void CQuillsetDlg::ActOnRow(int nRow, int nAction)
{
    const int nEntry = m_rows.EntryOfRow(m_nCurList, nRow);
    // A click that waited in the queue while a row's action or a batch ran
    // starts nothing.
    if (nEntry < 0 || !Categories() || m_bBusy)
        return;
    m_bBusy = true;
    const SoftwareEntry& entry = Entry(nEntry);
    if (nAction == row_actions::kSaveInstaller) {
        const std::wstring saved = row_actions::SaveInstaller(
            m_hWnd, entry, row_actions::SaveStartFolder(m_strLastSaveFolder, m_pSettings->SavePath));
        if (!saved.empty())
            m_strLastSaveFolder = saved;
    } else if (std::optional<ResolvedItem> item = row_actions::InstallItem(m_hWnd, nAction, entry)) {
        // A batch of one: the lock, the progress window, the log, the
        // row's result.
        m_arrBatch.assign(1, std::move(*item));
        m_arrBatchSections.assign(1, static_cast<size_t>(SectionOf(nEntry)));
        RunBatch(0, L"", row_actions::Caption(nAction));
    }
    m_bBusy = false;
}
