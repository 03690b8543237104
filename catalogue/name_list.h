// A list of entry names written on one line, as /select: takes it and a
// saved selection holds it: separated by ";", blanks around each name
// dropped, ";;" a ";" inside a name, a leading "@@" a leading "@", and a
// name with a single leading "@" the name of a saved selection.
#pragma once

#include <string>
#include <vector>

struct NameList {
    std::vector<std::wstring> entries;
    // The saved selections named ("@name"), without their "@".
    std::vector<std::wstring> sets;
};

// Adds the names of a line to list; false, with the reason in error, for a
// lone "@" that names no selection.
bool SplitNameList(const std::wstring& line, NameList& list, std::wstring& error);

// The line that SplitNameList reads back as these entry names.
std::wstring JoinEntryNames(const std::vector<std::wstring>& names);
