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
        return NamedLine(item.strName, item.strConfigured);
    return NamedLine(item.strName, item.strParameters.empty() ? item.strFile : item.strFile + L" " + item.strParameters);
}

std::wstring OtherDriveLines(const std::vector<ResolvedItem>& items)
{
    std::vector<std::wstring> files;
    for (const ResolvedItem& item : items) {
        if (FromOtherDrive(item))
            files.push_back(NamedLine(item.strName, item.strFile));
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
        lines.push_back(NamedLine(item.strName, item.bFound ? item.strFile : item.strConfigured));
    return kAskSave + ItemLines(lines) + OtherDriveLines(items) + L"\n保存路径: " + folder;
}

std::wstring CheckUnfinishedQuestion(size_t n)
{
    return L"有 " + std::to_wstring(n) +
           L" 款软件安装失败或没有运行。\n\n是否只勾选这些软件, 以便再次安装?\n(以后也可以在\"安装选项\"菜单中重新勾选)";
}

std::wstring SaveFolderAgain(const std::wstring& folder, const std::wstring& reason)
{
    return L"不能保存到此文件夹: " + reason + L"。\n\n保存路径: " + folder + L"\n\n是否重新选择?";
}

} // namespace command_texts
