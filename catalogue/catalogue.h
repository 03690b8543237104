// The catalogue: settings, categories and software entries read from the
// configuration file beside the executable.
#pragma once

#include "platform/module_path.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One entry section of the file. However often and under however many
// categories the section is listed, it is this one record: its check mark
// is the same for every listing.
struct SoftwareEntry {
    std::wstring Name;
    std::wstring IconPath;
    int Checked = 0;
    std::wstring AutoInstall;
    std::wstring ManualInstall;
    std::wstring Description;
    // What tells whether the entry is on the machine already (no WorkingDir
    // before them; empty when the section has none): a Windows Installer
    // product code ({GUID}), a subkey of the Uninstall key, the start of an
    // Uninstall entry's DisplayName, and the version the disc's installer
    // brings (x.y.z.w).
    std::wstring ProductCode;
    std::wstring UninstallKey;
    std::wstring InstalledName;
    std::wstring Version;
    // Non-zero: a save batch copies the whole folder the installer lies in
    // (its .cab files, data folders, ...) with it (CopyFolder=1).
    int CopyFolder = 0;
};

struct SoftwareCategory {
    std::wstring Name;
    std::wstring IconPath;
    // The entries the category lists, in list order, ending with a null
    // pointer; null when it lists none. The records belong to the settings:
    // a section listed twice is the same record both times.
    std::unique_ptr<SoftwareEntry*[]> Entries;
};

// A selection the technician saved under a name ([Quillset.Sets]): the
// entries it checks, and other selections it takes in.
struct SelectionSet {
    std::wstring Name;
    std::vector<std::wstring> EntryNames;
    std::vector<std::wstring> SetNames;
};

// The section that names the saved selections, one key each.
inline constexpr wchar_t kSetsSection[] = L"Quillset.Sets";

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
    // Every entry section the categories list, once, in the order first
    // listed; the categories point into it.
    std::vector<SoftwareEntry> Entries;
    // The saved selections, in file order; a name given twice, once.
    std::vector<SelectionSet> Sets;
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
// file that lists the same entries under many categories, or long values
// many times, could otherwise fill the memory.
inline constexpr size_t kMaxCategories = 1000;
inline constexpr size_t kMaxListings = 50000; // entries listed, over all categories together
// The bytes of text the catalogue keeps, and each listing's share of what
// the window keeps for its rows (the entry's name and description, in two
// lists), together.
inline constexpr size_t kMaxCatalogueBytes = 32u * 1024u * 1024u;

enum class CatalogueExtent {
    Whole,     // every category and entry of the file was read
    CutShort   // the file lists more than the bounds allow: only the first ones were read
};

// The category names of [Type], up to the first empty value: a category
// named again (its sections are the same) is read once, at its first place.
// At most limit of them; *pCut is set when there were more.
std::vector<std::wstring> ReadCategoryNames(const CProfileSource& profile, size_t limit = kMaxCategories,
                                            bool* pCut = nullptr);

// Whether an install line starts with a quoted program followed by more
// text ("a b.exe" /S /D="x"): such a line is read as the file holds it,
// since the pair of quotes around the whole of it is no pair at all.
bool StartsWithQuotedProgram(std::wstring_view line);
// An install line (AutoInstall, ManualInstall) of a section: one that starts
// with a quoted program as the file holds it, any other as the profile
// functions answer.
std::wstring ReadInstallLine(const CProfileSource& profile, const std::wstring& section, const std::wstring& key,
                             const std::wstring& defaultValue = L"");

// Reads a catalogue from a profile into settings; exeFolder (ending with a
// backslash) stands for a WorkingDir of exactly kCurrDir. A category
// named again in [Type] (its section is the same) is read once, at its first
// place; an entry section listed again is the record already read. Reading
// stops at the bounds above.
CatalogueExtent ReadCatalogue(CatalogueSettings& settings, const CProfileSource& profile,
                              const std::wstring& exeFolder);

// The saved selection of that name (compared as the profile compares
// names), or null.
const SelectionSet* FindSet(const CatalogueSettings& settings, const std::wstring& name);
// The entry names of the selections named, with those of every selection
// they take in (each selection once); the names of selections the catalogue
// lacks go to missing.
std::vector<std::wstring> SetEntryNames(const CatalogueSettings& settings, const std::vector<std::wstring>& sets,
                                        std::vector<std::wstring>& missing);

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
    // The entries read, each entry section once.
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
// order, entries in order within each. An entry listed several times comes
// once, where it is first listed.
std::vector<const SoftwareEntry*> SelectEntries(const CatalogueSettings& settings,
                                                const std::function<bool(const SoftwareEntry&)>& filter);
