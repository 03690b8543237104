#include "catalogue/name_list.h"

#include "platform/text.h"

bool SplitNameList(const std::wstring& line, NameList& list, std::wstring& error)
{
    std::wstring name;
    for (size_t at = 0; at <= line.size(); ++at) {
        if (at + 1 < line.size() && line[at] == L';' && line[at + 1] == L';') {
            name += L';';
            ++at;
            continue;
        }
        if (at < line.size() && line[at] != L';') {
            name += line[at];
            continue;
        }
        std::wstring entry = platform_text::TrimSpace(name);
        name.clear();
        if (entry.starts_with(L"@@")) {
            list.entries.push_back(entry.substr(1));
        } else if (entry.starts_with(L"@")) {
            std::wstring set = platform_text::TrimSpace(entry.substr(1));
            if (set.empty()) {
                error = L"@ 后面缺少选择集的名称";
                return false;
            }
            list.sets.push_back(std::move(set));
        } else if (!entry.empty()) {
            list.entries.push_back(std::move(entry));
        }
    }
    return true;
}

std::wstring JoinEntryNames(const std::vector<std::wstring>& names)
{
    std::wstring line;
    for (const std::wstring& name : names) {
        if (!line.empty())
            line += L';';
        if (name.starts_with(L"@"))
            line += L'@';
        for (wchar_t c : name) {
            line += c;
            if (c == L';')
                line += L';';
        }
    }
    return line;
}
