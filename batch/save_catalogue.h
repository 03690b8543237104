// The catalogue a save batch writes into its folder, so that the program
// copied beside it shows and installs what was saved: each saved entry's
// section with every key it had, its paths rewritten to where its files
// were saved, listed under the categories that listed it; merged into a
// catalogue already in the folder as QuillsetScan --merge merges.
#pragma once

#include <string>
#include <vector>

class CCatalogueDraft;

// An entry whose installer was saved: its section name and where its files
// went below the folder. The install lines keep the parameters they were
// found with.
struct SavedEntry {
    std::wstring strName;
    std::wstring strManual;
    std::wstring strManualParameters;
    // The program of its automatic install, when it was saved (or is the
    // installer itself); otherwise the line stays as the entry had it.
    bool bAutomatic = false;
    std::wstring strAutomatic;
    std::wstring strAutomaticParameters;
    // Its icon, when it was saved.
    bool bIcon = false;
    std::wstring strIcon;
};

// A category that lists saved entries: its name, its icon where it was
// saved, and the entries it lists (indices of the saved entries), in list
// order.
struct SavedCategory {
    std::wstring strName;
    bool bIcon = false;
    std::wstring strIcon;
    std::vector<size_t> entries;
};

// An install line with its program moved to relative: the line as written
// when its program part already is that path; otherwise the path (quoted
// when the line quoted its program, or when the path holds a blank and
// parameters follow) and the parameters after a blank.
std::wstring MovedInstallLine(const std::wstring& line, const std::wstring& relative, const std::wstring& parameters);

// A new catalogue's settings: source's [Config] as written, less SavePath
// (the folder a save batch of that disc copies into is no setting of the
// copy).
CCatalogueDraft SavedCatalogueSettings(const CCatalogueDraft& source);

struct SavedCatalogueCount {
    // Entries added, and entries the target had already (one that names the
    // saved installer is kept as written).
    size_t nAdded = 0;
    size_t nKept = 0;
};

// Adds the saved entries to target, as --merge adds installers: an entry of
// target that already names the saved installer (relative to folder, a
// full path ending with a backslash) stays as written; any other is added
// under its name (or a free variant of it) at the end of each category that
// lists it, made when target has none of that name (with the source
// category's keys). An added entry has every key of its section in source:
// ManualInstall, AutoInstall and IconPath rewritten to the saved files
// (MovedInstallLine), a path that was not saved kept as the program read
// it, Checked=1 (it was chosen), and WorkingDir=%CurrDir% where it had a
// WorkingDir and every path it names is relative (none otherwise: a
// relative path means the program's folder anyway). An entry source lacks
// gets those paths and Checked alone.
SavedCatalogueCount AddSavedEntries(CCatalogueDraft& target, const CCatalogueDraft& source,
                                    const std::vector<SavedEntry>& entries, const std::vector<SavedCategory>& categories,
                                    const std::wstring& folder);
