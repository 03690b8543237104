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

// What a scan passed over without looking at it, each relative to the disc
// folder and sorted: installer files in folders deeper than the scan goes,
// and folders that are links, which it never follows.
struct PassedOver {
    std::vector<std::wstring> tooDeep;
    std::vector<std::wstring> links;
};

// Every .exe and .msi file in the folder and in its folders two levels down,
// sorted by path, skipping the names in excluded (files directly in the
// folder only), each identified and, when it is an installer, described;
// what it passed over goes to *pPassed.
std::vector<FoundInstaller> ScanDisc(const std::wstring& folder, const std::vector<std::wstring>& excluded,
                                     PassedOver* pPassed = nullptr);

// Adds the installers (those not yet named by the catalogue) to it, in name
// order within each category, each named after its product, else the folder
// it has to itself, else its file; one of no kind known gets no automatic
// command and starts unchecked; with their icons saved in the icon folder as
// new files (a file already there keeps its name and content). iconFolder
// is the icon folder as held from the scan's start; one not held yet is made
// and held with the first icon. An entry already there that names an
// installer but says nothing of what tells it is installed (no ProductCode,
// UninstallKey, InstalledName or Version) gets those keys the installer
// gives; *pKeyed counts them. Returns how many were added.
size_t AddInstallers(CCatalogueDraft& draft, const std::wstring& folder, std::vector<FoundInstaller>& installers,
                     CHeldFolder& iconFolder, size_t* pKeyed = nullptr);
