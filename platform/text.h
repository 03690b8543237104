// Text conversions and trimming shared by the program and its tools.
#pragma once

#include <string>

namespace platform_text {

// UTF-16 to UTF-8 and back; unpaired surrogates and invalid bytes become
// replacement characters.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

// The system's own words for a Windows error, without the line end and the
// full stop it closes with ("error N" when the system has none).
std::wstring SystemMessage(unsigned long error);
// "Windows 错误 N: " followed by the system's words for the error.
std::wstring WindowsErrorText(unsigned long error);

// The text without white space (as iswspace has it) at either end.
std::wstring TrimSpace(const std::wstring& text);

} // namespace platform_text
