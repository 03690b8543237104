// A catalogue being put together: categories, their entry lists and the
// entries' sections, held as the text values the file will carry. It can
// start from an existing file, whose values then stay as they were written,
// and is written out as UTF-16LE with a byte-order mark.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CProfileSource;

struct DraftEntry {
    std::wstring name;
    // Keys of the entry's section in file order, values as written.
    std::vector<std::pair<std::wstring, std::wstring>> keys;
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
    // catalogue, with the keys each one has, values unchanged (WorkingDir
    // not replaced).
    explicit CCatalogueDraft(const CProfileSource& existing);

    // Sets a [Config] key, replacing its value when it is there.
    void SetSetting(const std::wstring& key, const std::wstring& value);

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

    // The whole file: UTF-16LE with a byte-order mark, CR LF line ends.
    std::string FileBytes() const;

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
