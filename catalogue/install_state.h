// Whether a catalogue entry is on the machine already, and at which version:
// answered from a snapshot of the machine's installed programs (the
// Uninstall entries of both registry views and the user's, and the Windows
// Installer products), read once and then asked for any number of entries.
#pragma once

#include "catalogue/catalogue.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class InstallState {
    Unknown, // the entry names nothing to look for (no ProductCode, UninstallKey or InstalledName)
    Missing, // not installed
    Older,   // installed at a version older than the entry's Version, or at one it does not tell
    Current  // installed at the entry's Version or newer (or, without a Version, at any)
};

struct InstallStatus {
    InstallState state = InstallState::Unknown;
    // The version installed (empty when not installed or not told).
    std::wstring strInstalled;

    bool IsCurrent() const noexcept { return state == InstallState::Current; }
};

// The state in the technician's words: "已安装 2.3.4" (or "已安装" when the
// version is not told), "可更新 2.0 → 2.3.4", "未安装", or "无法检测" for an
// entry that names nothing to look for.
std::wstring InstallStateText(const SoftwareEntry& entry, const InstallStatus& status);

// Compares two versions part by part as numbers (x.y.z.w; a missing part is
// 0, a part counts by its leading digits, "23.01" equals "23.1"): less than
// 0, 0 or greater than 0 as a is older, the same or newer than b.
int CompareVersions(std::wstring_view a, std::wstring_view b) noexcept;

// Whether an Uninstall entry's DisplayName is the installed name, or starts
// with it followed by a blank and a version ("7-Zip 23.01 (x64)" for
// "7-Zip"), ignoring case.
bool DisplayNameMatches(std::wstring_view displayName, std::wstring_view installedName);

// Whether the entry names anything to look for.
bool HasInstallIdentity(const SoftwareEntry& entry) noexcept;

// Where an Uninstall entry was read.
enum class RegistryView {
    Machine64, // HKLM, the 64-bit view
    Machine32, // HKLM, the 32-bit view (WOW6432Node on 64-bit Windows)
    User       // HKCU
};

// One subkey of Software\Microsoft\Windows\CurrentVersion\Uninstall.
struct UninstallRecord {
    RegistryView view = RegistryView::Machine64;
    std::wstring strKey;
    std::wstring strDisplayName;
    std::wstring strDisplayVersion;
};

// One product that Windows Installer says is installed.
struct InstallerProduct {
    std::wstring strCode; // {GUID}
    std::wstring strVersion;
};

// The machine's installed programs at one moment. Building it indexes them,
// so each entry's answer takes a few look-ups however many there are.
class CInstalledSnapshot {
public:
    CInstalledSnapshot() = default;
    CInstalledSnapshot(std::vector<UninstallRecord> uninstall, std::vector<InstallerProduct> products);

    // An entry with a ProductCode is installed when Windows Installer says
    // so; else one with an UninstallKey when that subkey is in any view;
    // else one with an InstalledName when a DisplayName matches it. Of
    // several hits the newest version counts.
    InstallStatus StatusOf(const SoftwareEntry& entry) const;

    const std::vector<UninstallRecord>& Uninstall() const noexcept { return m_uninstall; }
    const std::vector<InstallerProduct>& Products() const noexcept { return m_products; }

private:
    std::vector<UninstallRecord> m_uninstall;
    std::vector<InstallerProduct> m_products;
    // Folded product code to its index in m_products.
    std::unordered_map<std::wstring, size_t> m_productOf;
    // Folded subkey name to the records of that name (one per view).
    std::unordered_map<std::wstring, std::vector<size_t>> m_keyOf;
    // Folded names an InstalledName matches (the whole DisplayName, and its
    // start before each blank followed by a version) to their records.
    std::unordered_map<std::wstring, std::vector<size_t>> m_nameOf;
};

// The same, for each entry in turn.
std::vector<InstallStatus> StatusesOf(const CInstalledSnapshot& snapshot,
                                      const std::vector<const SoftwareEntry*>& entries);
