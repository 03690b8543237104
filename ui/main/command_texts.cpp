#include "ui/main/command_texts.h"

#include "batch/batch_texts.h"
#include "shell/shell.h"

namespace command_texts {

std::wstring ItemLines(const std::vector<std::wstring>& items)
{
    return ListedLines(items, L"款软件");
}

std::wstring OtherDriveLines(const std::vector<std::wstring>& items)
{
    const std::vector<std::wstring> files = FilesFromOtherDrives(items);
    return files.empty() ? std::wstring() : L"\n以下文件不在本程序所在的驱动器上:\n" + ItemLines(files);
}

std::wstring InstallQuestion(bool bAutomatic, const std::vector<std::wstring>& items)
{
    return (bAutomatic ? kAskAutoInstall : kAskManualInstall) + ItemLines(items) + OtherDriveLines(items);
}

std::wstring SaveQuestion(const std::vector<std::wstring>& items, const std::wstring& folder)
{
    return kAskSave + ItemLines(items) + OtherDriveLines(items) + L"\n保存路径: " + folder;
}

} // namespace command_texts
