#include "batch/save_catalogue.h"

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_draft.h"
#include "platform/text.h"

#include <optional>
#include <utility>

namespace {

using Keys = std::vector<std::pair<std::wstring, std::wstring>>;

const wchar_t kCdrom[] = L"cdrom:\\";

bool Is(const std::wstring& key, const wchar_t* name)
{
    return SameNameIgnoringCase(key, name);
}

template <typename T>
const T* Named(const std::vector<T>& records, const std::wstring& name)
{
    for (const T& record : records) {
        if (SameNameIgnoringCase(record.name, name))
            return &record;
    }
    return nullptr;
}

// Whether a written path means a place that a WorkingDir of %CurrDir% may
// stand before: no drive, share or root of its own ("cdrom:\" works
// behind any folder).
bool IsRelative(const std::wstring& value)
{
    std::wstring path = platform_text::TrimSpace(value);
    if (!path.empty() && path.front() == L'"')
        path.erase(0, 1);
    if (path.find(kCdrom) != std::wstring::npos)
        return true;
    return !(path.size() >= 2 && path[1] == L':') && !(!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

// A path value of a section whose folder is dir, as the program read it,
// written to stand without a folder before it: "%CurrDir%" is the
// program's folder, which a relative path means anyway.
std::wstring AsRead(const std::wstring& dir, const std::wstring& value)
{
    return value.empty() || dir == kCurrDir ? value : dir + value;
}

// keys with WorkingDir set to %CurrDir% where every path in paths is
// relative, and taken away otherwise.
void SettleWorkingDir(Keys& keys, const std::vector<std::wstring>& paths)
{
    bool bRelative = true;
    for (const std::wstring& path : paths)
        bRelative = bRelative && IsRelative(path);
    for (auto at = keys.begin(); at != keys.end(); ++at) {
        if (!Is(at->first, L"WorkingDir"))
            continue;
        if (bRelative)
            at->second = kCurrDir;
        else
            keys.erase(at);
        return;
    }
}

// The section of a saved entry, from its section in the source (null when
// the source lacks it).
Keys SavedEntryKeys(const DraftEntry* pSource, const SavedEntry& saved)
{
    const std::wstring dir = pSource ? pSource->Value(L"WorkingDir") : std::wstring();
    Keys keys;
    std::vector<std::wstring> paths;
    bool bManual = false;
    bool bAutomatic = false;
    bool bIcon = false;
    bool bChecked = false;
    for (const auto& [key, value] : pSource ? pSource->keys : Keys()) {
        std::wstring written = value;
        if (Is(key, L"ManualInstall")) {
            written = MovedInstallLine(value, saved.strManual, saved.strManualParameters);
            bManual = true;
        } else if (Is(key, L"AutoInstall")) {
            written = saved.bAutomatic ? MovedInstallLine(value, saved.strAutomatic, saved.strAutomaticParameters)
                                       : AsRead(dir, value);
            bAutomatic = true;
        } else if (Is(key, L"IconPath")) {
            written = saved.bIcon ? saved.strIcon : AsRead(dir, value);
            bIcon = true;
        } else if (Is(key, L"Checked")) {
            written = L"1";
            bChecked = true;
        }
        if ((Is(key, L"ManualInstall") || Is(key, L"AutoInstall") || Is(key, L"IconPath")) && !written.empty())
            paths.push_back(written);
        keys.emplace_back(key, std::move(written));
    }
    if (!bManual)
        keys.emplace_back(L"ManualInstall", MovedInstallLine(L"", saved.strManual, saved.strManualParameters));
    if (!bAutomatic && saved.bAutomatic)
        keys.emplace_back(L"AutoInstall", MovedInstallLine(L"", saved.strAutomatic, saved.strAutomaticParameters));
    if (!bIcon && saved.bIcon)
        keys.emplace_back(L"IconPath", saved.strIcon);
    if (!bChecked)
        keys.emplace_back(L"Checked", L"1");
    SettleWorkingDir(keys, paths);
    return keys;
}

// The section of a category made for saved entries, from its section in the
// source (null when the source lacks it).
Keys SavedCategoryKeys(const DraftCategory* pSource, const SavedCategory& saved)
{
    const DraftEntry section{pSource ? pSource->name : std::wstring(), pSource ? pSource->keys : Keys()};
    const std::wstring dir = section.Value(L"WorkingDir");
    Keys keys;
    std::vector<std::wstring> paths;
    bool bIcon = false;
    for (const auto& [key, value] : section.keys) {
        std::wstring written = value;
        if (Is(key, L"IconPath")) {
            written = saved.bIcon ? saved.strIcon : AsRead(dir, value);
            bIcon = true;
            if (!written.empty())
                paths.push_back(written);
        }
        keys.emplace_back(key, std::move(written));
    }
    if (!bIcon && saved.bIcon)
        keys.emplace_back(L"IconPath", saved.strIcon);
    SettleWorkingDir(keys, paths);
    return keys;
}

} // namespace

std::wstring MovedInstallLine(const std::wstring& line, const std::wstring& relative, const std::wstring& parameters)
{
    const std::wstring written = platform_text::TrimSpace(line);
    const bool bQuoted = !written.empty() && written.front() == L'"';
    if (!bQuoted) {
        // The program part as written: the line less its parameters.
        const std::wstring tail = parameters.empty() ? std::wstring() : L" " + parameters;
        if (written.size() > tail.size() && written.ends_with(tail) &&
            SameNameIgnoringCase(written.substr(0, written.size() - tail.size()), relative))
            return written;
    }
    const bool bQuote = bQuoted || (!parameters.empty() && relative.find(L' ') != std::wstring::npos);
    const std::wstring program = bQuote ? L"\"" + relative + L"\"" : relative;
    return parameters.empty() ? program : program + L" " + parameters;
}

CCatalogueDraft SavedCatalogueSettings(const CCatalogueDraft& source)
{
    CCatalogueDraft draft;
    draft.RemoveSetting(L"Default");
    for (const auto& [key, value] : source.Settings())
        draft.SetSetting(key, value);
    draft.RemoveSetting(L"SavePath");
    return draft;
}

SavedCatalogueCount AddSavedEntries(CCatalogueDraft& target, const CCatalogueDraft& source,
                                    const std::vector<SavedEntry>& entries, const std::vector<SavedCategory>& categories,
                                    const std::wstring& folder)
{
    SavedCatalogueCount count;
    // The sections of the entries to add, named as they will be.
    std::vector<std::optional<DraftEntry>> added(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const SavedEntry& saved = entries[i];
        if (target.EntryNaming(folder, saved.strManual)) {
            ++count.nKept;
            continue;
        }
        DraftEntry entry;
        entry.keys = SavedEntryKeys(Named(source.Entries(), saved.strName), saved);
        added[i] = std::move(entry);
    }
    // Named only now: a name an entry of target has is taken, not those of
    // the saved entries, which the source keeps apart already.
    for (size_t i = 0; i < entries.size(); ++i) {
        if (added[i])
            added[i]->name = target.FreeSectionName(entries[i].strName);
    }
    for (const SavedCategory& category : categories) {
        bool bAny = false;
        for (size_t i : category.entries)
            bAny = bAny || (i < added.size() && added[i]);
        if (!bAny)
            continue;
        const bool bNew = Named(target.Categories(), category.strName) == nullptr;
        DraftCategory& made = target.Category(category.strName);
        if (bNew)
            made.keys = SavedCategoryKeys(Named(source.Categories(), category.strName), category);
        for (size_t i : category.entries) {
            if (i < added.size() && added[i])
                target.AddEntry(made, *added[i]);
        }
    }
    for (const auto& entry : added)
        count.nAdded += entry ? 1 : 0;
    return count;
}
