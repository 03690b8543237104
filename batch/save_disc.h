// What a save batch does to make its folder a disc, beside copying the
// files: the folders below the save folder made and held level by level,
// the running program copied in, and the catalogue of what was saved
// written (merged into one already there).
#pragma once

#include "batch/save_catalogue.h"
#include "batch/save_plan.h"
#include "shell/held_folder.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The save folder, held by the batch, and the folders below it, each made
// and held (CHeldFolder::HoldBelow) when a file first goes into it, then
// kept held until the batch ends.
class CSaveFolders {
public:
    explicit CSaveFolders(const CHeldFolder& root) : m_root(root) {}
    CSaveFolders(const CSaveFolders&) = delete;
    CSaveFolders& operator=(const CSaveFolders&) = delete;

    // The held folder at a path below the save folder ("" for the folder
    // itself); null, with the Windows error as the last error, when it (or
    // a folder on its way) cannot be made or held.
    const CHeldFolder* Folder(const std::wstring& relative);

private:
    const CHeldFolder& m_root;
    std::map<std::wstring, std::unique_ptr<CHeldFolder>> m_below;
};

// The part of a relative path before its last separator, and after it.
std::wstring FolderPart(const std::wstring& relative);
std::wstring NamePart(const std::wstring& relative);

// The names the disc's program and catalogue take in the folder: the
// running program's own name, and that name with ".INI" (the catalogue the
// copy reads).
std::wstring DiscProgramName(const SaveDisc& disc);
std::wstring DiscCatalogueName(const SaveDisc& disc);

enum class ProgramCopy { kCopied, kAlreadyThere, kFailed };
// Copies the running program into the held folder under its own name,
// unless a file (or anything) of that name is there; kFailed with the last
// error set when it cannot.
ProgramCopy CopyProgramInto(const SaveDisc& disc, const CHeldFolder& folder);

// What the saved items' entries are to the catalogue: for each item whose
// installer was saved (bSaved[i]), where its files went.
std::vector<SavedEntry> SavedEntries(const DiscPlan& plan, const std::vector<bool>& bSaved);
std::vector<SavedCategory> SavedCategories(const SaveDisc& disc, const DiscPlan& plan,
                                           const std::vector<bool>& bSaved);

struct DiscCatalogueResult {
    // The catalogue's path in the folder.
    std::wstring strPath;
    // Written (or, merged, found to list every saved entry already); else why not.
    bool bDone = false;
    std::wstring strError;
    // Whether a catalogue was there and merged, and whether the file changed.
    bool bMerged = false;
    bool bChanged = false;
    SavedCatalogueCount count;
};

// Writes the catalogue of the saved entries into the held folder under
// DiscCatalogueName: the entries' sections read from disc.strCatalogue now
// (one it lacks gets its paths alone), merged (AddSavedEntries) into the
// catalogue already there, read by its handle (a link, or one that cannot
// be read, is never replaced: nothing is written), or into a new one with
// the source's settings. Written in the encoding of the catalogue it
// merges into, else of the source; as a new file moved into place, never
// through a link. A catalogue there that lists every entry already is not
// touched.
DiscCatalogueResult WriteDiscCatalogue(const SaveDisc& disc, const std::vector<SavedEntry>& entries,
                                       const std::vector<SavedCategory>& categories, const CHeldFolder& folder);
