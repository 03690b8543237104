// Where a save batch puts each file, decided before anything is written: no
// file that an item reads is replaced, every item's bytes end up in the
// folder, and each file is copied once. A save that makes its folder a disc
// keeps each installer's path relative to the program's folder and adds
// what the entries bring beside their installers: their icons, a separate
// program of their automatic install, the installer's whole folder where
// the catalogue asks for it (CopyFolder=1), and the icons of their
// categories.
#pragma once

#include "shell/resolved_item.h"

#include <string>
#include <vector>

struct CatalogueSettings;
struct SoftwareEntry;

enum class SaveStep {
    kNotFound,
    // Copy the source to the target (replacing a file there that no item reads).
    kCopy,
    // The source already is the target: nothing to copy.
    kAlreadyThere,
    // An earlier file has the same source: copied once, by that one (or by
    // this one, when the earlier one was not copied).
    kSameAsEarlier,
};

struct PlannedSave {
    SaveStep step = SaveStep::kNotFound;
    // The target's full path, and its path below the folder.
    std::wstring strTarget;
    std::wstring strRelative;
    // The target is not the file's own name in the folder: that name
    // belongs to a file another item reads or that the batch writes.
    bool bRenamed = false;
};

// A file to save: its located source (empty for one that was not found)
// and where it goes below the folder (a relative path; its last part is
// the file's name there).
struct SaveSource {
    std::wstring strFile;
    std::wstring strRelative;
};

// The sources in order and the folder, with or without a trailing
// backslash. A target name that a file an item reads, or an earlier
// target, has is numbered ("setup (2).exe").
std::vector<PlannedSave> PlanSaves(const std::vector<SaveSource>& sources, const std::wstring& strFolder);

// A save without a disc puts every file straight into the folder under its
// own name: the part of its path after the last separator (a bare name
// found in the current folder is a name as a whole).
std::wstring FlatName(const std::wstring& strPath);

// A name made fit to be a file or folder name: the characters no name may
// hold (\ / : * ? " < > | and control characters) become "_", blanks at its
// ends and dots at its end go, a device name (CON, NUL, COM1, ...) gets
// "_" before it; empty when nothing is left.
std::wstring FileSafeName(const std::wstring& name);

// Where a file found for a disc goes below the save folder: a "cdrom:\"
// file found under strDrive keeps its path from that root, a file below the
// program's folder (with a trailing backslash) its path from there, and
// anything else (an absolute path, a share) goes into a folder named after
// its owner (the entry or category, made FileSafeName) under its own name;
// without an owner's name, straight into the folder.
std::wstring SavedRelativePath(const std::wstring& strFile, const std::wstring& strDrive,
                               const std::wstring& strProgramFolder, const std::wstring& strOwner);

// How deep below an installer's folder CopyFolder copies: folders more
// levels down are left out, and the log says so.
inline constexpr int kMaxCopyFolderDepth = 8;

// The files of a folder and of the folders below it, down to nMaxDepth
// levels, as paths relative to it, sorted. Files and folders that are links
// or junctions are never followed nor copied; they and the folders deeper
// than nMaxDepth are listed apart, and so is nothing of the folder
// strSkip (the save folder, when it lies inside).
struct FolderListing {
    std::vector<std::wstring> files;
    std::vector<std::wstring> links;
    std::vector<std::wstring> tooDeep;
};
FolderListing ListFolder(const std::wstring& folder, int nMaxDepth, const std::wstring& strSkip);

// What an item's catalogue entry brings beside its installer, as the
// program read it (WorkingDir joined).
struct DiscEntry {
    std::wstring strAutoInstall;
    std::wstring strIconPath;
    bool bCopyFolder = false;
};
// A category that lists some of the items: its name, its icon as read, and
// the items it lists, in list order.
struct DiscCategory {
    std::wstring strName;
    std::wstring strIconPath;
    std::vector<size_t> items;
};

// What a save batch needs to make its folder a disc.
struct SaveDisc {
    // The catalogue the entries come from; its name is the name of the
    // catalogue written into the folder.
    std::wstring strCatalogue;
    // The running program, copied beside the catalogue unless the folder
    // has a file of its name.
    std::wstring strProgram;
    // The folder the catalogue's relative paths mean (%CurrDir%), with a
    // trailing backslash: relative paths are kept from here.
    std::wstring strProgramFolder;
    // One per item, in item order.
    std::vector<DiscEntry> arrEntries;
    std::vector<DiscCategory> arrCategories;
};

// The disc of a save batch over entries (one item each, in that order), read
// from settings, whose file is strCatalogue beside strProgram.
SaveDisc MakeSaveDisc(const CatalogueSettings& settings, const std::vector<const SoftwareEntry*>& entries,
                      const std::wstring& strCatalogue, const std::wstring& strProgram);

enum class DiscFileKind {
    kInstaller,
    // The program of the entry's automatic install, where it is not the
    // installer itself.
    kProgram,
    kIcon,
    kCategoryIcon,
    // A file of the installer's folder (CopyFolder=1).
    kFolderFile,
};

// One file a save copies: an item's installer, or something it brings.
struct DiscFile {
    DiscFileKind kind = DiscFileKind::kInstaller;
    // The items whose saving brings the file (an installer: its own item;
    // a category's icon: every item the category lists).
    std::vector<size_t> owners;
    // The entry's or the category's name.
    std::wstring strOwner;
    ResolvedItem resolved;
    // Where it is meant to go below the folder.
    std::wstring strRelative;
};

// Something a folder copy leaves out, for the log and the report.
struct LeftOut {
    std::wstring strOwner;
    std::wstring strPath;
    std::wstring strWhy;
};

// What an item's entry brings, by index into DiscPlan::files (npos: none).
struct DiscItemFiles {
    size_t nProgram = static_cast<size_t>(-1);
    size_t nIcon = static_cast<size_t>(-1);
    // The entry's automatic install, looked up; whether its program is the
    // installer itself.
    ResolvedItem automatic;
    bool bAutomaticIsInstaller = false;
};

struct DiscPlan {
    // The items first, one each in item order, then what they bring.
    std::vector<DiscFile> files;
    // One per file.
    std::vector<PlannedSave> saves;
    // One per item (empty without a disc).
    std::vector<DiscItemFiles> items;
    std::vector<LeftOut> leftOut;
};

// Plans a save of the items (one left out, a refused one say, is passed as
// not found) into strFolder: without a disc each straight into the folder
// (FlatName); with one each where SavedRelativePath puts it, and what the
// entries bring (looked up here) beside them. A separate program of an
// automatic install that lies in the Windows folder is the machine's, not
// the disc's: it is not copied. An installer's folder is not copied whole
// when it is the program's folder, a folder above it or a drive's root.
DiscPlan PlanSave(const std::vector<ResolvedItem>& items, const SaveDisc* pDisc, const std::wstring& strFolder);
