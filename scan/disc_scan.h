// Scanning a disc folder for installers and adding what it finds to a
// catalogue: one entry per installer, in the category of its first-level
// folder, with paths relative to the disc.
#pragma once

#include "scan/installer_kind.h"
#include "scan/product_info.h"

#include <string>
#include <vector>

class CCatalogueDraft;
struct DraftEntry;
class CHeldFolder;

// The category of installers that lie directly in the disc folder.
inline constexpr wchar_t kRootCategory[] = L"常用软件";
// The folder, beside the catalogue, that receives the installers' icons.
inline constexpr wchar_t kIconFolder[] = L"icons";

struct FoundInstaller {
    std::wstring relativePath; // from the disc folder, e.g. 工具\zip\setup.exe
    std::wstring category;     // the first-level folder; empty for the disc folder itself
    Identification identification;
    ProductInfo product;
    std::wstring entryName; // set when the installer was added to a catalogue
};

// The disc folder is given as a full path ending with a backslash (C:\disc\,
// or R:\ for a drive's root).

// Every .exe and .msi file in the folder and in its folders two levels down,
// sorted by path, skipping the names in excluded (files directly in the
// folder only), each identified and, when it is an installer, described.
std::vector<FoundInstaller> ScanDisc(const std::wstring& folder, const std::vector<std::wstring>& excluded);

// The entry of the catalogue that already names this installer: its
// ManualInstall or AutoInstall, with the entry's WorkingDir, points at it
// relative to the disc, on the CD-ROM drive or by the folder's full path;
// null when none does.
DraftEntry* EntryNaming(CCatalogueDraft& draft, const std::wstring& folder, const std::wstring& relativePath);

// Adds the installers (those not yet named by the catalogue) to it, in name
// order within each category, with their icons saved in the icon folder as
// new files (a file already there keeps its name and content). iconFolder
// is the icon folder as held from the scan's start; one not held yet is made
// and held with the first icon. An entry already there that names an
// installer but says nothing of what tells it is installed (no ProductCode,
// UninstallKey, InstalledName or Version) gets those keys the installer
// gives; *pKeyed counts them. Returns how many were added.
size_t AddInstallers(CCatalogueDraft& draft, const std::wstring& folder, std::vector<FoundInstaller>& installers,
                     CHeldFolder& iconFolder, size_t* pKeyed = nullptr);
