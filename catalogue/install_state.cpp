#include "catalogue/install_state.h"

#include <windows.h>

#include <algorithm>

namespace {

bool IsDigit(wchar_t c) noexcept
{
    return c >= L'0' && c <= L'9';
}

// The text in the form names are compared in, ignoring case: upper case by
// the invariant rules, as Windows compares registry key names.
std::wstring Folded(std::wstring_view text)
{
    std::wstring folded(text);
    if (!folded.empty())
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                        folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0);
    return folded;
}

// The next part of a version from at on: its leading digits without leading
// zeros ("" for 0); at moves past the part and its separator.
std::wstring_view NextPart(std::wstring_view version, size_t& at) noexcept
{
    const size_t end = std::min(version.find_first_of(L".,", at), version.size());
    size_t first = at;
    while (first < end && version[first] == L' ')
        ++first;
    size_t last = first;
    while (last < end && IsDigit(version[last]))
        ++last;
    while (first < last && version[first] == L'0')
        ++first;
    at = end < version.size() ? end + 1 : end;
    return version.substr(first, last - first);
}

// Whether the text from at on starts with a version: an optional v, a digit,
// then digits and dots, up to its end or a character that is no letter or
// digit ("23.01 (x64)", "v2.3", not "2Go").
bool StartsWithVersion(std::wstring_view text, size_t at) noexcept
{
    if (at < text.size() && (text[at] == L'v' || text[at] == L'V'))
        ++at;
    if (at >= text.size() || !IsDigit(text[at]))
        return false;
    while (at < text.size() && (IsDigit(text[at]) || text[at] == L'.'))
        ++at;
    return at == text.size() || !::IsCharAlphaNumericW(text[at]);
}

// The installed version of the newest of the records.
const std::wstring& NewestOf(const std::vector<UninstallRecord>& records, const std::vector<size_t>& hits)
{
    const std::wstring* pNewest = &records[hits.front()].strDisplayVersion;
    for (size_t i : hits) {
        const std::wstring& version = records[i].strDisplayVersion;
        if (pNewest->empty() || (!version.empty() && CompareVersions(version, *pNewest) > 0))
            pNewest = &version;
    }
    return *pNewest;
}

InstallStatus Installed(const SoftwareEntry& entry, const std::wstring& installed)
{
    InstallStatus status;
    status.strInstalled = installed;
    if (entry.Version.empty())
        status.state = InstallState::Current;
    else if (installed.empty())
        status.state = InstallState::Older;
    else
        status.state = CompareVersions(installed, entry.Version) >= 0 ? InstallState::Current : InstallState::Older;
    return status;
}

} // namespace

std::wstring InstallStateText(const SoftwareEntry& entry, const InstallStatus& status)
{
    switch (status.state) {
    case InstallState::Current:
        return status.strInstalled.empty() ? L"已安装" : L"已安装 " + status.strInstalled;
    case InstallState::Older:
        return L"可更新 " + (status.strInstalled.empty() ? std::wstring(L"(版本不明)") : status.strInstalled) +
               L" → " + entry.Version;
    case InstallState::Missing:
        return L"未安装";
    case InstallState::Unknown:
        break;
    }
    return L"无法检测";
}

int CompareVersions(std::wstring_view a, std::wstring_view b) noexcept
{
    size_t atA = 0;
    size_t atB = 0;
    while (atA < a.size() || atB < b.size()) {
        const std::wstring_view partA = NextPart(a, atA);
        const std::wstring_view partB = NextPart(b, atB);
        if (partA.size() != partB.size())
            return partA.size() < partB.size() ? -1 : 1;
        if (const int order = partA.compare(partB); order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

bool DisplayNameMatches(std::wstring_view displayName, std::wstring_view installedName)
{
    if (installedName.empty() || displayName.size() < installedName.size())
        return false;
    if (Folded(displayName.substr(0, installedName.size())) != Folded(installedName))
        return false;
    const size_t after = installedName.size();
    return after == displayName.size() || (displayName[after] == L' ' && StartsWithVersion(displayName, after + 1));
}

bool HasInstallIdentity(const SoftwareEntry& entry) noexcept
{
    return !entry.ProductCode.empty() || !entry.UninstallKey.empty() || !entry.InstalledName.empty();
}

CInstalledSnapshot::CInstalledSnapshot(std::vector<UninstallRecord> uninstall, std::vector<InstallerProduct> products)
    : m_uninstall(std::move(uninstall)), m_products(std::move(products))
{
    for (size_t i = 0; i < m_products.size(); ++i)
        m_productOf.emplace(Folded(m_products[i].strCode), i);
    for (size_t i = 0; i < m_uninstall.size(); ++i) {
        const UninstallRecord& record = m_uninstall[i];
        m_keyOf[Folded(record.strKey)].push_back(i);
        const std::wstring& name = record.strDisplayName;
        if (name.empty())
            continue;
        const std::wstring folded = Folded(name);
        m_nameOf[folded].push_back(i);
        for (size_t blank = name.find(L' '); blank != std::wstring::npos; blank = name.find(L' ', blank + 1)) {
            if (blank > 0 && StartsWithVersion(name, blank + 1)) {
                std::vector<size_t>& hits = m_nameOf[folded.substr(0, blank)];
                if (hits.empty() || hits.back() != i)
                    hits.push_back(i);
            }
        }
    }
}

InstallStatus CInstalledSnapshot::StatusOf(const SoftwareEntry& entry) const
{
    InstallStatus missing;
    missing.state = InstallState::Missing;
    if (!entry.ProductCode.empty()) {
        const auto found = m_productOf.find(Folded(entry.ProductCode));
        return found == m_productOf.end() ? missing : Installed(entry, m_products[found->second].strVersion);
    }
    if (!entry.UninstallKey.empty()) {
        const auto found = m_keyOf.find(Folded(entry.UninstallKey));
        return found == m_keyOf.end() ? missing : Installed(entry, NewestOf(m_uninstall, found->second));
    }
    if (!entry.InstalledName.empty()) {
        const auto found = m_nameOf.find(Folded(entry.InstalledName));
        return found == m_nameOf.end() ? missing : Installed(entry, NewestOf(m_uninstall, found->second));
    }
    return {};
}

std::vector<InstallStatus> StatusesOf(const CInstalledSnapshot& snapshot,
                                      const std::vector<const SoftwareEntry*>& entries)
{
    std::vector<InstallStatus> statuses;
    statuses.reserve(entries.size());
    for (const SoftwareEntry* pEntry : entries)
        statuses.push_back(snapshot.StatusOf(*pEntry));
    return statuses;
}
