#include "ui/main/command_texts.h"

#include "batch/batch_texts.h"

namespace command_texts {

std::wstring ItemLines(const std::vector<std::wstring>& items)
{
    return ListedLines(items, L"款软件");
}

std::wstring ItemLine(const ResolvedItem& item)
{
    if (!item.bFound)
        return item.strConfigured;
    return item.strParameters.empty() ? item.strFile : item.strFile + L" " + item.strParameters;
}

std::wstring OtherDriveLines(const std::vector<ResolvedItem>& items)
{
    std::vector<std::wstring> files;
    for (const ResolvedItem& item : items) {
        if (FromOtherDrive(item))
            files.push_back(item.strFile);
    }
    return files.empty() ? std::wstring() : L"\n以下文件不在本程序所在的驱动器上:\n" + ItemLines(files);
}

std::wstring InstallQuestion(bool bAutomatic, const std::vector<ResolvedItem>& items)
{
    std::vector<std::wstring> lines;
    for (const ResolvedItem& item : items)
        lines.push_back(ItemLine(item));
    return (bAutomatic ? kAskAutoInstall : kAskManualInstall) + ItemLines(lines) + OtherDriveLines(items);
}

std::wstring SaveQuestion(const std::vector<ResolvedItem>& items, const std::wstring& folder)
{
    std::vector<std::wstring> lines;
    for (const ResolvedItem& item : items)
        lines.push_back(item.bFound ? item.strFile : item.strConfigured);
    return kAskSave + ItemLines(lines) + OtherDriveLines(items) + L"\n保存路径: " + folder;
}

std::wstring SaveFolderAgain(const std::wstring& folder, const std::wstring& reason)
{
    return L"不能保存到此文件夹: " + reason + L"。\n\n保存路径: " + folder + L"\n\n是否重新选择?";
}

} // namespace command_texts
