// Changes the program makes to a catalogue's text at the technician's
// request, leaving every other line as it was written: comments, order,
// blanks and line ends.
#pragma once

#include <string>
#include <string_view>

// The text with key=value in the first section of that name: the key's
// first line there replaced, or a line added after the section's last one;
// a section that is not there is added at the end. Names match as the
// profile matches them.
std::wstring WithProfileKey(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                            const std::wstring& value);

// What is wrong with a name for a saved selection, for the technician to
// read; empty when it serves. A name serves when it is not empty, holds no
// line break, "=" or control character, starts with no "@", ";" or "[",
// and is at most kMaxSetNameLength characters long.
inline constexpr size_t kMaxSetNameLength = 100;
std::wstring SetNameProblem(const std::wstring& name);

// The file's bytes in the encoding the original bytes were in (UTF-8 or
// UTF-16 of either order after their byte-order mark, else the system's
// ANSI code page); bLossless false when the text holds characters that
// encoding cannot carry.
std::string EncodedLike(const std::wstring& text, std::string_view original, bool& bLossless);
