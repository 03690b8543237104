// Reading a profile (INI) file: the questions the catalogue asks, answered
// either from a copy of the file parsed once into memory or through the
// platform's profile functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A string value is at most this many characters long, as with a 4096
// character buffer handed to GetPrivateProfileStringW.
inline constexpr size_t kProfileValueLimit = 4095;

// A section or key name in the form the profile compares names in: the
// letters A to Z folded to lower case, every other character as it is.
std::wstring FoldedProfileName(std::wstring_view name);

// A profile file's text: UTF-8 after its BOM, UTF-16 after a BOM of either
// byte order (a last odd byte is dropped), otherwise the system's ANSI code
// page.
std::wstring DecodeProfileBytes(std::string_view bytes);

class CProfileSource {
public:
    CProfileSource() = default;
    CProfileSource(const CProfileSource&) = delete;
    CProfileSource& operator=(const CProfileSource&) = delete;
    virtual ~CProfileSource() = default;

    // GetPrivateProfileStringW with a 4096 character buffer.
    virtual std::wstring GetString(std::wstring_view section, std::wstring_view key,
                                   std::wstring_view defaultValue) const = 0;
    // GetPrivateProfileIntW.
    virtual int GetInt(std::wstring_view section, std::wstring_view key, int defaultValue) const = 0;
    // The value as the file holds it, as GetPrivateProfileSectionW gives it:
    // no pair of quotes removed, at most 4095 characters. The default as
    // given when there is no such key.
    virtual std::wstring GetRawString(std::wstring_view section, std::wstring_view key,
                                      std::wstring_view defaultValue) const = 0;
    // The names of a section's keys in file order, as
    // GetPrivateProfileStringW lists them: every line with "=", a name given
    // twice as often as it is given.
    virtual std::vector<std::wstring> GetKeyNames(std::wstring_view section) const = 0;
};

// Every question goes to the platform's profile functions, which open and
// read the file each time.
class CPlatformProfile : public CProfileSource {
public:
    explicit CPlatformProfile(std::wstring path) : m_strPath(std::move(path)) {}
    std::wstring GetString(std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue) const override;
    int GetInt(std::wstring_view section, std::wstring_view key, int defaultValue) const override;
    std::wstring GetRawString(std::wstring_view section, std::wstring_view key,
                              std::wstring_view defaultValue) const override;
    std::vector<std::wstring> GetKeyNames(std::wstring_view section) const override;

private:
    std::wstring m_strPath;
};

// The file read and parsed once; the answers are those of the platform's
// profile functions on the same file: lines split at CR and LF, blanks
// trimmed around names and values, the first of duplicate sections and the
// first of duplicate keys win, names compared without regard to case, one
// pair of matching quotes removed around a value, ANSI (system code page),
// UTF-8 with BOM and UTF-16 with BOM. Lookups hash the case-folded names.
class CIniProfile : public CProfileSource {
public:
    // Files larger than this are treated as unreadable.
    static constexpr size_t kMaxFileBytes = 64u * 1024u * 1024u;

    // An empty profile: every question gets its default.
    CIniProfile() = default;
    // Reads the file; a missing, locked, oversized or otherwise unreadable
    // file leaves the profile empty (every question gets its default), and
    // ReadError() says why.
    explicit CIniProfile(const std::wstring& path);
    // The bytes of a file read already (through a held folder, say).
    struct FileBytes {
        std::string_view bytes;
    };
    explicit CIniProfile(FileBytes file);

    // 0 when the file was read; else the Windows error that kept it from
    // being read: ERROR_FILE_NOT_FOUND when there is no file by that name (a
    // folder of that name included), ERROR_FILE_TOO_LARGE over
    // kMaxFileBytes, ERROR_NOT_ENOUGH_MEMORY when it does not fit, or what
    // opening or reading it answered (ERROR_SHARING_VIOLATION when another
    // program holds it open without sharing).
    unsigned long ReadError() const noexcept { return m_dwError; }

    std::wstring GetString(std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue) const override;
    int GetInt(std::wstring_view section, std::wstring_view key, int defaultValue) const override;
    std::wstring GetRawString(std::wstring_view section, std::wstring_view key,
                              std::wstring_view defaultValue) const override;
    std::vector<std::wstring> GetKeyNames(std::wstring_view section) const override;

private:
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    struct Key {
        uint32_t section = 0;
        Span name;
        Span value;
        bool hasValue = false; // false for a line without "="
    };
    struct Slot {
        uint32_t hash = 0;
        uint32_t index = 0; // index + 1; 0 marks a free slot
    };

    void Parse(std::string_view bytes);
    void BeginSection(Span name);
    void AddKey(Span name, Span value, bool hasValue);
    // The index of the section of that name, or -1.
    long FindSection(std::wstring_view section) const;
    const Key* Find(std::wstring_view section, std::wstring_view key) const;
    std::wstring Answer(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                        size_t bufferSize) const;
    std::wstring_view View(Span span) const noexcept { return {m_text.data() + span.offset, span.length}; }

    unsigned long m_dwError = 0;
    // Present but not read (a folder of that name included): the platform
    // then answers with the defaults as given, quotes and all.
    bool m_bUnreadable = false;
    std::wstring m_text;            // the whole file as UTF-16
    std::vector<Span> m_sections;   // the first section of each name
    std::vector<Key> m_keys;        // the first key of each name within those sections
    std::vector<Key> m_keyLines;    // every line with "=" within those sections, in file order
    std::vector<Slot> m_sectionTable;
    std::vector<Slot> m_keyTable;
    uint32_t m_current = 0;         // section being filled by the parser
    bool m_currentShadowed = false; // a later section of a name already seen: never read
};
