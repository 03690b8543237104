// A stand-alone PowerShell detection script for deployment tools that run
// detection where the disc is not at hand: it decides for the entries given
// by the same rules as the program (registry views, product codes, names,
// versions) and ends with 0 and one line of output when every one is
// installed at its version or newer, else with 1 and no output.
#pragma once

#include "catalogue/catalogue.h"

#include <string>
#include <string_view>
#include <vector>

// The script's text. Each entry is one line of its table:
//     @{ Name = '...'; ProductCode = '...'; UninstallKey = '...'; InstalledName = '...'; Version = '...' }
std::wstring DetectionScript(const std::vector<const SoftwareEntry*>& entries);

// A PowerShell single-quoted string holding the text exactly: every quote
// PowerShell takes for a single quote (' and U+2018 to U+201B) doubled.
std::wstring PowerShellQuoted(std::wstring_view text);
