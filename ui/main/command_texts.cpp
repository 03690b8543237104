#include "ui/main/command_texts.h"

#include "batch/batch_texts.h"

namespace command_texts {

std::wstring ItemLines(const std::vector<std::wstring>& items)
{
    return ListedLines(items, L"款软件");
}

std::wstring InstallQuestion(bool bAutomatic, const std::vector<std::wstring>& items)
{
    return (bAutomatic ? kAskAutoInstall : kAskManualInstall) + ItemLines(items);
}

std::wstring SaveQuestion(const std::vector<std::wstring>& items, const std::wstring& folder)
{
    return kAskSave + ItemLines(items) + L"\n保存路径: " + folder;
}

} // namespace command_texts
