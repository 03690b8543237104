// The catalogue: settings, categories and software entries read from the
// configuration file beside the executable.
#pragma once

#include "platform/module_path.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Names read from Prefix1, Prefix2, ... of a section up to the first empty
// value, at most limit of them; *pCut is set when there were more.
std::vector<std::wstring> ReadNumberedList(const CProfileSource& profile, const std::wstring& section,
                                           const std::wstring& prefix, size_t limit = SIZE_MAX,
                                           bool* pCut = nullptr);

// The WorkingDir that stands for the executable's folder.
inline constexpr wchar_t kCurrDir[] = L"%CurrDir%";

// Bounds on what one catalogue can make, far above any disc's needs: a small
// file that lists the same entries under many categories could otherwise
// fill the memory with records.
inline constexpr size_t kMaxCategories = 1000;
inline constexpr size_t kMaxEntryRecords = 50000; // over all categories together

enum class CatalogueExtent {
    Whole,     // every category and entry of the file was read
    CutShort   // the file lists more than the bounds allow: only the first ones were read
};

// Reads a catalogue from a profile into settings; exeFolder (ending with a
// backslash) stands for a WorkingDir of exactly kCurrDir. A category
// named again in [Type] (its section is the same) is read once, at its first
// place.
CatalogueExtent ReadCatalogue(CatalogueSettings& settings, const CProfileSource& profile,
                              const std::wstring& exeFolder);

// The notice shown at start when a catalogue was cut short.
std::wstring CutShortNotice();

// How the configuration file beside the running executable was read.
struct CatalogueLoad {
    // The file looked for.
    std::wstring strPath;
    // 0 when it was read; else why not (ERROR_FILE_NOT_FOUND: it is not
    // there), as CIniProfile::ReadError() tells it.
    unsigned long dwError = 0;
    CatalogueExtent extent = CatalogueExtent::Whole;
    // The entry records read, over all categories.
    size_t nEntryRecords = 0;

    // Whether the file gave software to work on: it was read and lists at
    // least one entry.
    bool Usable() const noexcept { return dwError == 0 && nEntryRecords > 0; }
};

// What the technician is told at start about the file: which file was
// looked for and not found, why it could not be read (the system's words
// for the error), that it lists no software, or that it was cut short;
// empty when it was read whole and lists software.
std::wstring CatalogueNotice(const CatalogueLoad& load);

// Fills the one settings record from the configuration file beside the
// running executable, whatever the current directory, and points the
// application's profile at that file. A file that cannot be read leaves the
// defaults, as a missing one does; a file over the bounds is read up to
// them. A caller that gives pLoad (an unattended run, where no one answers
// a box) is told how the file was read; otherwise the notice, if there is
// one, is shown in a message box.
CatalogueSettings* LoadCatalogue(CWinApp* pApp, CatalogueLoad* pLoad = nullptr);

// The entries that pass the filter, in catalogue order: categories in
// order, entries in order within each. An entry listed under several
// categories comes once, where it is first listed.
std::vector<const SoftwareEntry*> SelectEntries(const CatalogueSettings& settings,
                                                const std::function<bool(const SoftwareEntry&)>& filter);
