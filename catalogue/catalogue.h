// The catalogue: settings, categories and software entries read from the
// configuration file beside the executable.
#pragma once

#include "platform/module_path.h"

#include <memory>
#include <string>

struct SoftwareEntry {
    std::wstring Name;
    std::wstring IconPath;
    int Checked = 0;
    std::wstring AutoInstall;
    std::wstring ManualInstall;
    std::wstring Description;
};

struct SoftwareCategory {
    std::wstring Name;
    std::wstring IconPath;
    // Ends with a record whose Name is empty; null when the category lists
    // no entry.
    std::unique_ptr<SoftwareEntry[]> Entries;
};

struct CatalogueSettings {
    int MainWidth = 0;
    int MainHeight = 0;
    std::wstring TitleText = L"Tovrin Quillset";
    // Empty, or a folder path ending with one backslash.
    std::wstring SavePath;
    // Non-zero: automatic install (AutoInstall); 0: manual (ManualInstall).
    int DefaultMode = 1;
    // Ends with a record whose Name is empty; always holds that record.
    std::unique_ptr<SoftwareCategory[]> Categories;
};

class CWinApp;
class CProfileSource;

// The configuration file of an executable: its folder followed by its file
// name with the extension replaced by ".INI" (".INI" appended when the name
// has none). Empty when the path has no folder, so no file is read.
std::wstring ProfilePathFor(const std::wstring& exePath);

// Fills the one settings record from the configuration file beside the
// running executable, whatever the current directory, and points the
// application's profile at that file.
CatalogueSettings* LoadCatalogue(CWinApp* pApp);

// Reads a catalogue from a profile into settings; exeFolder (ending with a
// backslash) stands for a WorkingDir of exactly "%CurrDir%".
void ReadCatalogue(CatalogueSettings& settings, const CProfileSource& profile, const std::wstring& exeFolder);
