// A program's own icon, the one the shell shows for it, as the bytes of an
// icon file holding every image size the program's icon has.
#pragma once

#include <string>

// False when the program has no icon or its icon data is malformed.
bool ProgramIconFile(const std::wstring& programPath, std::string& iconFile);
