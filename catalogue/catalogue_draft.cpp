#include "catalogue/catalogue_draft.h"

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_edit.h"
#include "catalogue/ini_profile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>

namespace {

constexpr size_t kMaxNameLength = 200;

const wchar_t kCdrom[] = L"cdrom:\\";

bool IsInstallKey(const std::wstring& key)
{
    return SameNameIgnoringCase(key, L"AutoInstall") || SameNameIgnoringCase(key, L"ManualInstall");
}

// Every key of a section, in file order (the first of a name given twice),
// each read as the program reads it.
std::vector<std::pair<std::wstring, std::wstring>> SectionKeys(const CProfileSource& profile,
                                                               const std::wstring& section)
{
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    std::set<std::wstring> seen;
    for (const std::wstring& name : profile.GetKeyNames(section)) {
        if (name.empty() || !seen.insert(FoldedProfileName(name)).second)
            continue;
        keys.emplace_back(name, IsInstallKey(name) ? ReadInstallLine(profile, section, name)
                                                   : profile.GetString(section, name, L""));
    }
    return keys;
}

// The path an install line of a section names, relative to the disc folder
// where it lies on the disc: a "cdrom:\" path, a path below the folder, or
// one relative to the program's folder (%CurrDir%, or no folder at all).
std::wstring DiscRelative(const std::wstring& workingDir, const std::wstring& value, const std::wstring& folder)
{
    std::wstring path = (workingDir == kCurrDir ? std::wstring() : workingDir) + value;
    const size_t cdrom = path.rfind(kCdrom);
    if (cdrom != std::wstring::npos)
        return path.substr(cdrom + std::size(kCdrom) - 1);
    if (path.size() > folder.size() && SameNameIgnoringCase(path.substr(0, folder.size()), folder))
        return path.substr(folder.size());
    return path;
}

bool WrappedInQuotes(const std::wstring& value)
{
    return value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front();
}

// A value written so the program reads it back as it is: on one line, and
// quoted when the profile functions would otherwise take the blanks or the
// pair of quotes around it. An install line is read as the file holds it
// when it starts with a quoted program, and is written so; any other gets
// its ends trimmed (blanks there mean nothing to a command line) and, when
// it stands in a pair of quotes, one more pair of the same kind, which
// never reads as a quoted program.
std::wstring ValueText(const std::wstring& key, std::wstring value)
{
    for (wchar_t& c : value) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    if (value.size() > kProfileValueLimit - 2)
        value.resize(kProfileValueLimit - 2);
    if (IsInstallKey(key)) {
        const size_t first = value.find_first_not_of(L" \t");
        value = first == std::wstring::npos ? std::wstring() : value.substr(first, value.find_last_not_of(L" \t") - first + 1);
        if (StartsWithQuotedProgram(value) || !WrappedInQuotes(value))
            return value;
        return value.front() + value + value.front();
    }
    const bool quoted = WrappedInQuotes(value);
    const bool padded = !value.empty() && (value.front() == L' ' || value.front() == L'\t' || value.back() == L' ' ||
                                           value.back() == L'\t');
    if (quoted || padded)
        return L"\"" + value + L"\"";
    return value;
}

void AppendLine(std::wstring& text, const std::wstring& line)
{
    text += line;
    text += L"\r\n";
}

void AppendSection(std::wstring& text, const std::wstring& name,
                   const std::vector<std::pair<std::wstring, std::wstring>>& keys)
{
    AppendLine(text, L"[" + name + L"]");
    for (const auto& [key, value] : keys)
        AppendLine(text, key + L"=" + ValueText(key, value));
    AppendLine(text, L"");
}

} // namespace

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring SectionNameFrom(const std::wstring& text)
{
    std::wstring name;
    for (wchar_t c : text) {
        if (c == L'[')
            c = L'(';
        else if (c == L']')
            c = L')';
        else if (c < L' ')
            c = L' ';
        name += c;
    }
    const size_t first = name.find_first_not_of(L" ;\"'");
    if (first == std::wstring::npos)
        return {};
    name = name.substr(first, name.find_last_not_of(L" \"'") - first + 1);
    if (name.size() > kMaxNameLength)
        name.resize(kMaxNameLength);
    return name;
}

CCatalogueDraft::CCatalogueDraft()
{
    m_config.emplace_back(L"Default", L"1");
}

std::wstring DraftEntry::Value(const std::wstring& key) const
{
    for (const auto& [name, value] : keys) {
        if (SameNameIgnoringCase(name, key))
            return value;
    }
    return {};
}

CCatalogueDraft::CCatalogueDraft(const CProfileSource& existing)
{
    m_config = SectionKeys(existing, L"Config");
    for (const std::wstring& name : existing.GetKeyNames(kSetsSection)) {
        const bool bTwice = std::any_of(m_sets.begin(), m_sets.end(), [&](const auto& set) {
            return FoldedProfileName(set.first) == FoldedProfileName(name);
        });
        if (!bTwice)
            m_sets.emplace_back(name, existing.GetString(kSetsSection, name, L""));
    }
    // Each category once, as the program reads them.
    for (const std::wstring& categoryName : ReadCategoryNames(existing, SIZE_MAX)) {
        DraftCategory& category = Category(categoryName);
        category.keys = SectionKeys(existing, categoryName);
        for (const std::wstring& entryName : ReadNumberedList(existing, categoryName + L".List", L"List")) {
            DraftEntry entry;
            entry.name = entryName;
            entry.keys = SectionKeys(existing, entryName);
            AddEntry(category, std::move(entry));
        }
    }
}

void CCatalogueDraft::SetSetting(const std::wstring& key, const std::wstring& value)
{
    for (auto& [name, known] : m_config) {
        if (SameNameIgnoringCase(name, key)) {
            known = value;
            return;
        }
    }
    m_config.emplace_back(key, value);
}

void CCatalogueDraft::RemoveSetting(const std::wstring& key)
{
    std::erase_if(m_config, [&](const auto& setting) { return SameNameIgnoringCase(setting.first, key); });
}

bool CCatalogueDraft::SectionTaken(const std::wstring& name) const
{
    if (SameNameIgnoringCase(name, L"Config") || SameNameIgnoringCase(name, L"Type") ||
        SameNameIgnoringCase(name, kSetsSection))
        return true;
    for (const DraftCategory& category : m_categories) {
        if (SameNameIgnoringCase(name, category.name) || SameNameIgnoringCase(name, category.name + L".List"))
            return true;
    }
    for (const DraftEntry& entry : m_entries) {
        if (SameNameIgnoringCase(name, entry.name))
            return true;
    }
    return false;
}

std::wstring CCatalogueDraft::FreeSectionName(const std::wstring& wanted) const
{
    std::wstring name = wanted;
    for (int n = 2; SectionTaken(name); ++n)
        name = wanted + L" (" + std::to_wstring(n) + L")";
    return name;
}

DraftCategory& CCatalogueDraft::Category(const std::wstring& name)
{
    for (DraftCategory& category : m_categories) {
        if (SameNameIgnoringCase(category.name, name))
            return category;
    }
    m_categories.emplace_back();
    m_categories.back().name = name;
    return m_categories.back();
}

void CCatalogueDraft::AddEntry(DraftCategory& category, DraftEntry entry)
{
    category.entryNames.push_back(entry.name);
    for (const DraftEntry& known : m_entries) {
        if (SameNameIgnoringCase(known.name, entry.name))
            return; // listed twice: one section serves both
    }
    m_entries.push_back(std::move(entry));
}

DraftEntry* CCatalogueDraft::EntryNaming(const std::wstring& folder, const std::wstring& relativePath)
{
    // An install line's program as a path, without the quotes it may stand in.
    const auto unquoted = [](const std::wstring& line) {
        if (!StartsWithQuotedProgram(line))
            return line;
        const size_t close = line.find(L'"', 1);
        return line.substr(1, close - 1) + line.substr(close + 1);
    };
    for (DraftEntry& entry : m_entries) {
        const std::wstring dir = entry.Value(L"WorkingDir");
        const std::wstring manual = DiscRelative(dir, unquoted(entry.Value(L"ManualInstall")), folder);
        const std::wstring automatic = DiscRelative(dir, unquoted(entry.Value(L"AutoInstall")), folder);
        if (SameNameIgnoringCase(manual, relativePath) || SameNameIgnoringCase(automatic, relativePath) ||
            (automatic.size() > relativePath.size() && automatic[relativePath.size()] == L' ' &&
             SameNameIgnoringCase(automatic.substr(0, relativePath.size()), relativePath)))
            return &entry;
    }
    return nullptr;
}

std::wstring CCatalogueDraft::FileText() const
{
    std::wstring text;
    AppendSection(text, L"Config", m_config);
    if (!m_sets.empty())
        AppendSection(text, kSetsSection, m_sets);
    AppendLine(text, L"[Type]");
    for (size_t i = 0; i < m_categories.size(); ++i)
        AppendLine(text, L"Sort" + std::to_wstring(i + 1) + L"=" + ValueText(L"", m_categories[i].name));
    AppendLine(text, L"");
    for (const DraftCategory& category : m_categories) {
        AppendSection(text, category.name, category.keys);
        AppendLine(text, L"[" + category.name + L".List]");
        for (size_t j = 0; j < category.entryNames.size(); ++j)
            AppendLine(text, L"List" + std::to_wstring(j + 1) + L"=" + ValueText(L"", category.entryNames[j]));
        AppendLine(text, L"");
    }
    for (const DraftEntry& entry : m_entries)
        AppendSection(text, entry.name, entry.keys);
    return text;
}

std::string CCatalogueDraft::FileBytes() const
{
    return FileBytesLike("\xFF\xFE");
}

std::string CCatalogueDraft::FileBytesLike(std::string_view original) const
{
    const std::wstring text = FileText();
    bool bLossless = true;
    std::string bytes = EncodedLike(text, original, bLossless);
    return bLossless ? bytes : EncodedLike(text, "\xFF\xFE", bLossless);
}
