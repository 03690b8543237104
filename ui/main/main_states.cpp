// What each entry row says in its size column beyond the installer's size:
// whether the entry is on the machine and at which version, asked off the
// window's thread at the start and after every batch; the results of the
// last batch; and the command that checks its unfinished entries again.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "ui/main/command_texts.h"

#include <algorithm>
#include <cwchar>
#include <unordered_map>

void CQuillsetDlg::StartDetection(bool bStart)
{
    if (!m_pSettings)
        return;
    std::vector<const SoftwareEntry*> entries;
    entries.reserve(m_pSettings->Entries.size());
    for (const SoftwareEntry& entry : m_pSettings->Entries)
        entries.push_back(&entry);
    m_bDetectionAtStart = bStart;
    m_detection.Start(entries, bStart, m_hWnd, kDetectionMessage);
}

void CQuillsetDlg::OnDetectionArrived()
{
    std::optional<DetectionResult> result = m_detection.Take();
    if (!result)
        return;
    bool bUnchecked = false;
    const size_t nSections = std::min(result->statuses.size(), m_arrStatus.size());
    for (size_t nSection = 0; nSection < nSections; ++nSection) {
        RowStatus& status = m_arrStatus[nSection];
        status.bDetected = true;
        status.install = std::move(result->statuses[nSection]);
        bUnchecked = ApplyStartCheck(nSection, m_bDetectionAtStart) || bUnchecked;
    }
    if (!result->restartResults.empty())
        ShowResults(result->restartResults, SectionsOfLoggedItems(result->restartResults));
    if (bUnchecked)
        RecomputeSelectAll();
    RepaintEntryLists();
    ::SetPropW(m_hWnd, kStatesReadProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++m_nStatesRead)));
}

bool CQuillsetDlg::ApplyStartCheck(size_t nSection, bool bAtStart)
{
    if (!bAtStart || m_arrStartDecided[nSection] || !StartsUnchecked(m_arrStatus[nSection]))
        return false;
    // Once: the technician may check it again.
    m_arrStartDecided[nSection] = true;
    m_pSettings->Entries[nSection].Checked = 0;
    return true;
}

void CQuillsetDlg::AnswerStatus(int nList, LVITEMW& item) const
{
    if (!(item.mask & LVIF_TEXT) || item.iSubItem != kStatusColumn || !item.pszText || item.cchTextMax <= 0)
        return;
    const int nEntry = m_rows.EntryOfRow(nList, item.iItem);
    const auto nSection = static_cast<size_t>(nEntry >= 0 && Categories() ? SectionOf(nEntry) : 0);
    const std::wstring text =
        nEntry >= 0 && Categories() ? RowStatusText(m_arrStatus[nSection], m_pSettings->Entries[nSection]) : L"";
    const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
    std::wmemcpy(item.pszText, text.data(), n);
    item.pszText[n] = L'\0';
}

void CQuillsetDlg::AskStatusText(CListEx& list, int nRow)
{
    LVITEMW item{};
    item.iSubItem = kStatusColumn;
    item.pszText = LPSTR_TEXTCALLBACKW;
    list.SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

void CQuillsetDlg::RepaintEntryLists()
{
    UpdateSelectionCount();
    // The list on show is painted now; the others when they show.
    if (m_pEntryLists && m_pEntryLists[static_cast<size_t>(m_nCurList)].m_hWnd)
        m_pEntryLists[static_cast<size_t>(m_nCurList)].Invalidate(FALSE);
}

std::vector<size_t> CQuillsetDlg::SectionsOfLoggedItems(const std::vector<LoggedItem>& items) const
{
    // A logged item names its entry and the catalogue's line it ran.
    std::unordered_map<std::wstring, std::vector<size_t>> sectionsNamed;
    for (size_t n = 0; n < m_pSettings->Entries.size(); ++n)
        sectionsNamed[m_pSettings->Entries[n].Name].push_back(n);
    std::vector<size_t> sections;
    for (const LoggedItem& item : items) {
        size_t nFound = m_arrStatus.size();
        const auto named = sectionsNamed.find(item.strName);
        for (size_t i = 0; named != sectionsNamed.end() && i < named->second.size() && nFound == m_arrStatus.size();
             ++i) {
            const SoftwareEntry& entry = m_pSettings->Entries[named->second[i]];
            if (platform_text::TrimSpace(entry.AutoInstall) == item.strLine ||
                platform_text::TrimSpace(entry.ManualInstall) == item.strLine)
                nFound = named->second[i];
        }
        sections.push_back(nFound);
    }
    return sections;
}

void CQuillsetDlg::ShowResults(const std::vector<LoggedItem>& items, const std::vector<size_t>& sections)
{
    m_arrUnfinished.clear();
    for (size_t i = 0; i < items.size() && i < sections.size(); ++i) {
        if (sections[i] >= m_arrStatus.size())
            continue;
        m_arrStatus[sections[i]].lastResult = items[i];
        if (items[i].outcome == ItemOutcome::Failed || items[i].outcome == ItemOutcome::NotRun)
            m_arrUnfinished.push_back(sections[i]);
    }
    RepaintEntryLists();
}

void CQuillsetDlg::OnCheckUnfinished()
{
    if (!m_pSettings || m_arrUnfinished.empty())
        return;
    for (SoftwareEntry& entry : m_pSettings->Entries)
        entry.Checked = 0;
    for (const size_t nSection : m_arrUnfinished)
        m_pSettings->Entries[nSection].Checked = 1;
    RecomputeSelectAll();
    RepaintEntryLists();
}

void CQuillsetDlg::OfferCheckUnfinished()
{
    if (m_arrUnfinished.empty())
        return;
    if (ShowMessageBox(m_hWnd, command_texts::CheckUnfinishedQuestion(m_arrUnfinished.size()),
                       command_texts::kCaptionInstall, MB_YESNO | MB_ICONQUESTION) == IDYES)
        OnCheckUnfinished();
}
