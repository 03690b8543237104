#include "scan/catalogue_draft.h"

#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr size_t kMaxNameLength = 200;

// A character no profile value holds: marks a key that is not there.
const wchar_t kAbsent[] = L"\x1F";

const wchar_t* const kConfigKeys[] = {L"MainWidth", L"MainHeight", L"TitleText", L"SavePath", L"Default"};
const wchar_t* const kCategoryKeys[] = {L"WorkingDir", L"IconPath"};
const wchar_t* const kEntryKeys[] = {L"WorkingDir",  L"IconPath",      L"Checked",     L"AutoInstall",
                                     L"ManualInstall", L"Description", L"ProductCode", L"UninstallKey",
                                     L"InstalledName", L"Version"};

bool IsInstallKey(const std::wstring& key)
{
    return SameNameIgnoringCase(key, L"AutoInstall") || SameNameIgnoringCase(key, L"ManualInstall");
}

// The keys of a section that are there, each read as the program reads it.
template <size_t N>
std::vector<std::pair<std::wstring, std::wstring>> PresentKeys(const CProfileSource& profile,
                                                               const std::wstring& section,
                                                               const wchar_t* const (&names)[N])
{
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    for (const wchar_t* name : names) {
        std::wstring value = IsInstallKey(name) ? ReadInstallLine(profile, section, name, kAbsent)
                                                : profile.GetString(section, name, kAbsent);
        if (value != kAbsent)
            keys.emplace_back(name, std::move(value));
    }
    return keys;
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

CCatalogueDraft::CCatalogueDraft(const CProfileSource& existing)
{
    m_config = PresentKeys(existing, L"Config", kConfigKeys);
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
        category.keys = PresentKeys(existing, categoryName, kCategoryKeys);
        for (const std::wstring& entryName : ReadNumberedList(existing, categoryName + L".List", L"List")) {
            DraftEntry entry;
            entry.name = entryName;
            entry.keys = PresentKeys(existing, entryName, kEntryKeys);
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

std::string CCatalogueDraft::FileBytes() const
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
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}
