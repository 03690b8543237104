// A program's own icon, the one the shell shows for it, as the bytes of a
// 32x32 icon file.
#pragma once

#include <string>

// False when the program has no icon or its icon data is malformed.
bool ProgramIconFile(const std::wstring& programPath, std::string& iconFile);
