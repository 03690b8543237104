// A program's own icon, the one the shell shows for it, saved as a 32x32
// icon file.
#pragma once

#include <string>

// False when the program has no icon, its icon data is malformed, or the
// file cannot be written.
bool ExportProgramIcon(const std::wstring& programPath, const std::wstring& iconPath);
