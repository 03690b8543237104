#include "catalogue/ini_profile.h"

#include "platform/handles.h"
#include "platform/profile.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace {

// Blanks as the profile functions see them: tab to carriage return, the
// DOS end-of-file mark and space.
bool IsBlank(wchar_t c) noexcept
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

// Names match without regard to case; like the platform here, only the
// letters A to Z are folded, every other character compares as it is.
wchar_t Fold(wchar_t c) noexcept
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c;
}

uint32_t FoldedHash(std::wstring_view text, uint32_t seed) noexcept
{
    uint32_t h = seed;
    for (wchar_t c : text) {
        h ^= static_cast<uint32_t>(Fold(c));
        h *= 16777619u;
    }
    return h;
}

uint32_t NameHash(std::wstring_view name) noexcept
{
    return FoldedHash(name, 2166136261u);
}

uint32_t KeyHash(uint32_t section, std::wstring_view name) noexcept
{
    return FoldedHash(name, (2166136261u ^ section) * 16777619u);
}

bool SameNameFoldingAToZ(std::wstring_view a, std::wstring_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    }
    return true;
}

// Text as the platform's functions take it: up to the first NUL.
std::wstring_view UpToNul(std::wstring_view text) noexcept
{
    return text.substr(0, text.find(L'\0'));
}

// A section or key name as asked for: blanks around it do not count.
std::wstring_view TrimName(std::wstring_view name) noexcept
{
    name = UpToNul(name);
    size_t first = 0;
    while (first < name.size() && IsBlank(name[first]))
        ++first;
    size_t last = name.size();
    while (last > first && IsBlank(name[last - 1]))
        --last;
    return name.substr(first, last - first);
}

// A default value loses its trailing spaces (but never its first character).
std::wstring_view TrimDefault(std::wstring_view value) noexcept
{
    value = UpToNul(value);
    size_t n = value.size();
    while (n > 1 && value[n - 1] == L' ')
        --n;
    return value.substr(0, n);
}

// A value copied into a buffer of bufferSize characters: one pair of equal
// quotes around it is removed; when the text fills the buffer exactly the
// platform cuts one more character, and so do we.
std::wstring CopyEntry(std::wstring_view value, size_t bufferSize)
{
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == L'\'' || value.front() == L'"') && value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::wstring result(value.substr(0, std::min(value.size(), bufferSize - 1)));
    if (quoted && bufferSize >= value.size() && !result.empty())
        result.pop_back();
    return result;
}

// An integer as the platform reads it: blanks, a sign, an optional 0x, 0o or
// 0b prefix, then digits up to the first character that is not one; the
// value wraps at 32 bits.
int ParseInteger(std::wstring_view text) noexcept
{
    size_t i = 0;
    while (i < text.size() && text[i] <= L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    uint32_t base = 10;
    if (text.size() - i >= 2 && text[i] == L'0') {
        if (text[i + 1] == L'b')
            base = 2;
        else if (text[i + 1] == L'o')
            base = 8;
        else if (text[i + 1] == L'x')
            base = 16;
        if (base != 10)
            i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        uint32_t digit = 36;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<uint32_t>(c - L'0');
        else if (c >= L'A' && c <= L'Z')
            digit = static_cast<uint32_t>(c - L'A') + 10;
        else if (c >= L'a' && c <= L'z')
            digit = static_cast<uint32_t>(c - L'a') + 10;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    if (negative)
        total = 0u - total;
    return static_cast<int>(total);
}

// Paths of MAX_PATH characters and more are opened in their extended form.
std::wstring OpenablePath(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\"))
        return path;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    if (path.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

// Free slot or slot of an equal name for the given hash, by linear probing.
template <typename Table, typename Equal>
size_t Probe(const Table& table, uint32_t hash, Equal equal)
{
    const size_t mask = table.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (table[i].index == 0 || (table[i].hash == hash && equal(table[i].index - 1)))
            return i;
    }
}

// Doubles a table when it is half full.
template <typename Table>
void GrowIfNeeded(Table& table, size_t used)
{
    if (!table.empty() && used * 2 < table.size())
        return;
    Table bigger(table.empty() ? 64 : table.size() * 2);
    const size_t mask = bigger.size() - 1;
    for (const auto& slot : table) {
        if (slot.index == 0)
            continue;
        size_t i = slot.hash & mask;
        while (bigger[i].index != 0)
            i = (i + 1) & mask;
        bigger[i] = slot;
    }
    table.swap(bigger);
}

} // namespace

std::wstring FoldedProfileName(std::wstring_view name)
{
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = Fold(c);
    return folded;
}


std::wstring CPlatformProfile::GetString(std::wstring_view section, std::wstring_view key,
                                         std::wstring_view defaultValue) const
{
    return ReadProfileString(m_strPath, std::wstring(section), std::wstring(key), std::wstring(defaultValue));
}

int CPlatformProfile::GetInt(std::wstring_view section, std::wstring_view key, int defaultValue) const
{
    return ReadProfileInt(m_strPath, std::wstring(section), std::wstring(key), defaultValue);
}

std::wstring CPlatformProfile::GetRawString(std::wstring_view section, std::wstring_view key,
                                            std::wstring_view defaultValue) const
{
    // The first line of the key's name; a line without "=" names the key
    // without a value. The section's lines leave out some a question can
    // still reach (comments before the first section): those are answered
    // as the string functions answer them.
    const std::wstring_view wanted = TrimName(key);
    for (const std::wstring& line : ReadProfileSection(m_strPath, std::wstring(TrimName(section)))) {
        const std::wstring_view text(line);
        const size_t equals = text.find(L'=');
        if (!SameNameFoldingAToZ(TrimName(text.substr(0, equals)), wanted))
            continue;
        if (equals == std::wstring_view::npos)
            return std::wstring(defaultValue);
        return std::wstring(text.substr(equals + 1, kProfileValueLimit));
    }
    return GetString(section, key, defaultValue);
}

std::vector<std::wstring> CPlatformProfile::GetKeyNames(std::wstring_view section) const
{
    return ReadProfileKeyNames(m_strPath, std::wstring(section));
}

CIniProfile::CIniProfile(const std::wstring& path)
{
    if (path.empty()) {
        m_dwError = ERROR_FILE_NOT_FOUND;
        return;
    }
    // Opened so that a folder of that name opens too, and is told apart by
    // the handle rather than by a second look at the name.
    CFileHandle file(::CreateFileW(OpenablePath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD dwError = ::GetLastError();
        // The platform answers a file in a missing folder as an unreadable
        // one; for the caller both are not there.
        m_bUnreadable = dwError != ERROR_FILE_NOT_FOUND;
        m_dwError = dwError == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : dwError;
        return;
    }
    m_bUnreadable = true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info)) {
        m_dwError = ::GetLastError();
        return;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        m_dwError = ERROR_FILE_NOT_FOUND;
        return;
    }
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kMaxFileBytes) {
        m_dwError = ERROR_FILE_TOO_LARGE;
        return;
    }
    try {
        std::string bytes(static_cast<size_t>(size), '\0');
        DWORD total = 0;
        while (total < bytes.size()) {
            DWORD got = 0;
            if (!::ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(bytes.size()) - total, &got,
                            nullptr)) {
                m_dwError = ::GetLastError() ? ::GetLastError() : ERROR_READ_FAULT;
                return;
            }
            if (got == 0)
                break;
            total += got;
        }
        bytes.resize(total);
        Parse(bytes);
        m_bUnreadable = false;
    } catch (const std::bad_alloc&) {
        m_text.clear();
        m_sections.clear();
        m_keys.clear();
        m_keyLines.clear();
        m_sectionTable.clear();
        m_keyTable.clear();
        m_dwError = ERROR_NOT_ENOUGH_MEMORY;
    }
}

CIniProfile::CIniProfile(FileBytes file)
{
    if (file.bytes.size() > kMaxFileBytes) {
        m_bUnreadable = true;
        m_dwError = ERROR_FILE_TOO_LARGE;
        return;
    }
    try {
        Parse(file.bytes);
    } catch (const std::bad_alloc&) {
        m_text.clear();
        m_sections.clear();
        m_keys.clear();
        m_keyLines.clear();
        m_sectionTable.clear();
        m_keyTable.clear();
        m_bUnreadable = true;
        m_dwError = ERROR_NOT_ENOUGH_MEMORY;
    }
}

void CIniProfile::Parse(std::string_view bytes)
{
    m_text = DecodeProfileBytes(bytes);
    const wchar_t* const text = m_text.data();
    const size_t end = m_text.size();
    const auto span = [](size_t first, size_t last) {
        return Span{static_cast<uint32_t>(first), static_cast<uint32_t>(last - first)};
    };
    // Names and values end at a NUL, as C strings do, after trimming.
    const auto cut = [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            if (text[i] == L'\0')
                return span(first, i);
        }
        return span(first, last);
    };

    // Keys before the first section header belong to a section without name.
    BeginSection(Span{});
    size_t next = 0;
    while (next < end) {
        size_t first = next;
        while (next < end && text[next] != L'\n' && text[next] != L'\r')
            ++next;
        while (next < end && (text[next] == L'\n' || text[next] == L'\r'))
            ++next;
        size_t last = next;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (first == last)
            continue;

        if (text[first] == L'[') {
            size_t close = last;
            while (close > first && text[close - 1] != L']')
                --close;
            if (close > first) {
                // Between "[" and the last "]", trimmed; the rest of the line is ignored.
                size_t nameFirst = first + 1;
                size_t nameLast = close - 1;
                while (nameFirst < nameLast && IsBlank(text[nameFirst]))
                    ++nameFirst;
                while (nameLast > nameFirst && IsBlank(text[nameLast - 1]))
                    --nameLast;
                BeginSection(cut(nameFirst, nameLast));
                continue;
            }
        }

        size_t equals = first;
        while (equals < last && text[equals] != L'=')
            ++equals;
        if (equals == last) {
            AddKey(cut(first, last), Span{}, false);
            continue;
        }
        size_t nameLast = equals;
        while (nameLast > first && IsBlank(text[nameLast - 1]))
            --nameLast;
        size_t valueFirst = equals + 1;
        while (valueFirst < last && IsBlank(text[valueFirst]))
            ++valueFirst;
        AddKey(cut(first, nameLast), cut(valueFirst, last), true);
    }
}

void CIniProfile::BeginSection(Span name)
{
    const std::wstring_view view = View(name);
    const uint32_t hash = NameHash(view);
    GrowIfNeeded(m_sectionTable, m_sections.size());
    const size_t slot = Probe(m_sectionTable, hash, [&](uint32_t i) { return SameNameFoldingAToZ(View(m_sections[i]), view); });
    m_currentShadowed = m_sectionTable[slot].index != 0;
    if (m_currentShadowed)
        return;
    m_current = static_cast<uint32_t>(m_sections.size());
    m_sections.push_back(name);
    m_sectionTable[slot] = Slot{hash, m_current + 1};
}

void CIniProfile::AddKey(Span name, Span value, bool hasValue)
{
    if (m_currentShadowed)
        return;
    // Every line with "=" is listed, a name given twice too.
    if (hasValue && name.length > 0)
        m_keyLines.push_back(Key{m_current, name, value, hasValue});
    const std::wstring_view view = View(name);
    const uint32_t hash = KeyHash(m_current, view);
    GrowIfNeeded(m_keyTable, m_keys.size());
    const size_t slot = Probe(m_keyTable, hash, [&](uint32_t i) {
        return m_keys[i].section == m_current && SameNameFoldingAToZ(View(m_keys[i].name), view);
    });
    if (m_keyTable[slot].index != 0)
        return;
    m_keys.push_back(Key{m_current, name, value, hasValue});
    m_keyTable[slot] = Slot{hash, static_cast<uint32_t>(m_keys.size())};
}

long CIniProfile::FindSection(std::wstring_view section) const
{
    if (m_sectionTable.empty())
        return -1;
    section = TrimName(section);
    const size_t slot = Probe(m_sectionTable, NameHash(section),
                              [&](uint32_t i) { return SameNameFoldingAToZ(View(m_sections[i]), section); });
    return static_cast<long>(m_sectionTable[slot].index) - 1;
}

const CIniProfile::Key* CIniProfile::Find(std::wstring_view section, std::wstring_view key) const
{
    const long nSection = FindSection(section);
    if (nSection < 0 || m_keyTable.empty())
        return nullptr;
    const auto sectionIndex = static_cast<uint32_t>(nSection);
    key = TrimName(key);
    const size_t keySlot = Probe(m_keyTable, KeyHash(sectionIndex, key), [&](uint32_t i) {
        return m_keys[i].section == sectionIndex && SameNameFoldingAToZ(View(m_keys[i].name), key);
    });
    if (m_keyTable[keySlot].index == 0)
        return nullptr;
    return &m_keys[m_keyTable[keySlot].index - 1];
}

std::wstring CIniProfile::Answer(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                                 size_t bufferSize) const
{
    defaultValue = TrimDefault(defaultValue);
    if (m_bUnreadable)
        return std::wstring(defaultValue.substr(0, std::min(defaultValue.size(), bufferSize - 1)));
    const Key* pKey = Find(section, key);
    return CopyEntry(pKey && pKey->hasValue ? View(pKey->value) : defaultValue, bufferSize);
}

std::wstring CIniProfile::GetString(std::wstring_view section, std::wstring_view key,
                                    std::wstring_view defaultValue) const
{
    return Answer(section, key, defaultValue, kProfileValueLimit + 1);
}

int CIniProfile::GetInt(std::wstring_view section, std::wstring_view key, int defaultValue) const
{
    // The platform reads the value into a buffer of 30 characters first.
    const std::wstring text = Answer(section, key, L"", 30);
    return text.empty() ? defaultValue : ParseInteger(text);
}

std::wstring CIniProfile::GetRawString(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view defaultValue) const
{
    const Key* pKey = m_bUnreadable ? nullptr : Find(section, key);
    if (!pKey || !pKey->hasValue)
        return std::wstring(defaultValue);
    return std::wstring(View(pKey->value).substr(0, kProfileValueLimit));
}

std::vector<std::wstring> CIniProfile::GetKeyNames(std::wstring_view section) const
{
    std::vector<std::wstring> names;
    // The keys before the first section are no section's.
    const long nSection = m_bUnreadable || TrimName(section).empty() ? -1 : FindSection(section);
    for (const Key& key : m_keyLines) {
        if (nSection >= 0 && key.section == static_cast<uint32_t>(nSection))
            names.emplace_back(View(key.name));
    }
    return names;
}
