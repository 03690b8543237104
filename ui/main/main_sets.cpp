// The saved selections: offered in the install-options menu, each checking
// exactly its entries, and today's marks saved as a new one into the
// catalogue.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "catalogue/name_list.h"
#include "platform/system_dialogs.h"
#include "res/resource.h"
#include "shell/catalogue_write.h"
#include "ui/main/command_texts.h"
#include "ui/main/set_name_dlg.h"

#include <algorithm>
#include <set>

using namespace command_texts;

namespace {

std::wstring Joined(const std::vector<std::wstring>& names)
{
    std::wstring joined;
    for (const std::wstring& name : names)
        joined += (joined.empty() ? L"" : L"; ") + name;
    return joined;
}

// A menu item's text shows "&" as it is.
std::wstring MenuText(const std::wstring& text)
{
    std::wstring escaped;
    for (wchar_t c : text) {
        escaped += c;
        if (c == L'&')
            escaped += L'&';
    }
    return escaped;
}

} // namespace

void CQuillsetDlg::AddSetItems(HMENU hPopup) const
{
    if (!m_pSettings || m_pSettings->Sets.empty())
        return;
    // Above the item that saves one, after a line of their own.
    const int nAt = ::GetMenuItemCount(hPopup) - 1;
    const size_t nItems = std::min<size_t>(m_pSettings->Sets.size(), ID_SET_LAST - ID_SET_FIRST + 1);
    for (size_t n = 0; n < nItems; ++n) {
        const SelectionSet& set = m_pSettings->Sets[n];
        std::vector<std::wstring> missing;
        const size_t nEntries = SetEntryNames(*m_pSettings, {set.Name}, missing).size();
        // The first nine are reached by their number too.
        const std::wstring key = n < 9 ? L" (&" + std::to_wstring(n + 1) + L")" : L"";
        const std::wstring text =
            L"勾选 \"" + MenuText(set.Name) + L"\" (" + std::to_wstring(nEntries) + L" 款)" + key;
        ::InsertMenuW(hPopup, static_cast<UINT>(nAt + static_cast<int>(n)), MF_BYPOSITION | MF_STRING,
                      ID_SET_FIRST + n, text.c_str());
    }
    ::InsertMenuW(hPopup, static_cast<UINT>(nAt + static_cast<int>(nItems)), MF_BYPOSITION | MF_SEPARATOR, 0,
                  nullptr);
}

void CQuillsetDlg::OnChooseSet(size_t nSet)
{
    if (!m_pSettings || nSet >= m_pSettings->Sets.size())
        return;
    const SelectionSet& set = m_pSettings->Sets[nSet];
    std::vector<std::wstring> missing;
    const std::vector<std::wstring> names = SetEntryNames(*m_pSettings, {set.Name}, missing);
    std::set<std::wstring> wanted;
    for (const std::wstring& name : names)
        wanted.insert(FoldedProfileName(name));
    std::set<std::wstring> found;
    for (SoftwareEntry& entry : m_pSettings->Entries) {
        const std::wstring key = FoldedProfileName(entry.Name);
        entry.Checked = wanted.count(key) ? 1 : 0;
        if (entry.Checked)
            found.insert(key);
    }
    RecomputeSelectAll();
    RepaintEntryLists();
    for (const std::wstring& name : names) {
        if (!found.count(FoldedProfileName(name)))
            missing.push_back(name);
    }
    if (!missing.empty())
        ShowMessageBox(m_hWnd,
                       L"选择集 \"" + set.Name + L"\" 中的这些名称目录中没有, 没有勾选:\n" + Joined(missing),
                       kCaptionChooseSet, MB_OK | MB_ICONEXCLAMATION);
}

void CQuillsetDlg::OnSaveSet()
{
    if (!m_pSettings)
        return;
    std::vector<std::wstring> names;
    for (const SoftwareEntry* pEntry :
         SelectEntries(*m_pSettings, [](const SoftwareEntry& entry) { return entry.Checked != 0; }))
        names.push_back(pEntry->Name);
    if (names.empty()) {
        ShowMessageBox(m_hWnd, kNothingSelected, kCaptionSaveSet, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (m_strCatalogue.empty()) {
        ShowMessageBox(m_hWnd, L"没有目录文件, 无法保存选择集。", kCaptionSaveSet, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CSetNameDlg dlg(this, L"把当前勾选的 " + std::to_wstring(names.size()) + L" 款软件保存到目录文件的 [" +
                              kSetsSection + L"] 中, 以后可以从安装选项菜单或命令行 (/select:@名称) 选用。");
    for (;;) {
        if (dlg.DoModal() != IDOK)
            return;
        if (!FindSet(*m_pSettings, dlg.m_strName))
            break;
        if (ShowMessageBox(m_hWnd, L"已有名为 \"" + dlg.m_strName + L"\" 的选择集, 是否替换它?", kCaptionSaveSet,
                           MB_YESNO | MB_ICONQUESTION) == IDYES)
            break;
    }
    const CatalogueWriteResult result = WriteSetIntoCatalogue(m_strCatalogue, dlg.m_strName, JoinEntryNames(names));
    if (!result.bWritten) {
        ShowMessageBox(m_hWnd,
                       L"选择集 \"" + dlg.m_strName + L"\" 没有保存到目录文件 " + m_strCatalogue + L":\n" +
                           result.strReason,
                       kCaptionSaveSet, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The menu offers it from now on, as the next start reads it.
    SelectionSet saved;
    saved.Name = dlg.m_strName;
    saved.EntryNames = names;
    std::vector<SelectionSet>& sets = m_pSettings->Sets;
    const auto known = std::find_if(sets.begin(), sets.end(), [&](const SelectionSet& set) {
        return FoldedProfileName(set.Name) == FoldedProfileName(saved.Name);
    });
    if (known != sets.end())
        *known = std::move(saved);
    else
        sets.push_back(std::move(saved));
    ShowMessageBox(m_hWnd,
                   L"选择集 \"" + dlg.m_strName + L"\" (" + std::to_wstring(names.size()) + L" 款) 已保存到目录文件 " +
                       m_strCatalogue,
                   kCaptionSaveSet, MB_OK | MB_ICONINFORMATION);
}
