// A catalogue being put together: categories, their entry lists and the
// entries' sections, held as the text values the file will carry. It can
// start from an existing file, whose values then stay as they were written,
// and is written out as UTF-16LE with a byte-order mark, or in the encoding
// of another catalogue. QuillsetScan builds and merges discs' catalogues
// with it, and a save batch the catalogue of the folder it saves into.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CProfileSource;

struct DraftEntry {
    std::wstring name;
    // Keys of the entry's section in file order, values as written.
    std::vector<std::pair<std::wstring, std::wstring>> keys;

    // The value of a key (named without regard to case); empty when the
    // section has none.
    std::wstring Value(const std::wstring& key) const;
};

struct DraftCategory {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    std::vector<std::wstring> entryNames;
};

class CCatalogueDraft {
public:
    // The [Config] section of a new catalogue.
    CCatalogueDraft();
    // The settings, saved selections, categories and entries of an existing
    // catalogue, each section with every key it has (the first of a name
    // given twice), in file order, values unchanged (WorkingDir not
    // replaced).
    explicit CCatalogueDraft(const CProfileSource& existing);

    // Sets a [Config] key, replacing its value when it is there; takes one
    // away.
    void SetSetting(const std::wstring& key, const std::wstring& value);
    void RemoveSetting(const std::wstring& key);
    const std::vector<std::pair<std::wstring, std::wstring>>& Settings() const noexcept { return m_config; }

    // Whether a section of this name (compared without regard to case) is
    // taken: a setting, category, list or entry section.
    bool SectionTaken(const std::wstring& name) const;
    // A section name not yet taken: the name itself, or with " (2)", " (3)",
    // ... behind it.
    std::wstring FreeSectionName(const std::wstring& wanted) const;

    // The category of that name, added at the end when there is none yet.
    DraftCategory& Category(const std::wstring& name);
    // Adds the entry's section and lists it at the end of the category.
    void AddEntry(DraftCategory& category, DraftEntry entry);

    const std::vector<DraftCategory>& Categories() const noexcept { return m_categories; }
    const std::vector<DraftEntry>& Entries() const noexcept { return m_entries; }
    std::vector<DraftEntry>& Entries() noexcept { return m_entries; }

    // The entry already there that names the installer at relativePath (a
    // path relative to the disc folder, which is given as a full path
    // ending with a backslash): its ManualInstall or AutoInstall, with the
    // entry's WorkingDir, points at it relative to the disc, on the CD-ROM
    // drive or by the folder's full path; null when none does.
    DraftEntry* EntryNaming(const std::wstring& folder, const std::wstring& relativePath);

    // The whole file as text, CR LF line ends.
    std::wstring FileText() const;
    // The whole file: UTF-16LE with a byte-order mark.
    std::string FileBytes() const;
    // The whole file in the encoding of original, the bytes of another
    // catalogue (UTF-8 or UTF-16 after their byte-order mark, else the
    // system's code page); UTF-16LE with a byte-order mark where that
    // encoding cannot carry every character.
    std::string FileBytesLike(std::string_view original) const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_config;
    // The saved selections, written after the settings as they were read.
    std::vector<std::pair<std::wstring, std::wstring>> m_sets;
    std::vector<DraftCategory> m_categories;
    std::vector<DraftEntry> m_entries; // each section once, in first-listed order
};

// A name made fit to be a section name and a list value: one line, no square
// brackets, no surrounding blanks, at most 200 characters.
std::wstring SectionNameFrom(const std::wstring& text);
// Names compared without regard to case, every letter folded as the file
// system folds it (the catalogue reader folds A to Z only).
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b);
