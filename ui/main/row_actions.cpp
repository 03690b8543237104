#include "ui/main/row_actions.h"

#include "catalogue/catalogue.h"
#include "platform/handles.h"
#include "platform/system_dialogs.h"
#include "shell/shell.h"

#include <shlobj.h>

namespace row_actions {

using namespace std::string_literals;

namespace {

const wchar_t kNotFound[] = L"文件没找到, 请检查安装文件路径!\n\n文件原始路径: ";
const wchar_t kRunFailed[] = L"文件运行失败, 请检查安装文件路径!\n\n文件原始路径: ";
const wchar_t kSaved[] = L"安装文件保存完毕!\n\n文件保存路径: ";
const wchar_t kSaveFailed[] = L"文件保存失败, 请检查安装文件路径!\n\n文件原始路径: ";
const wchar_t kSaveTarget[] = L"\n文件保存路径: ";

// One file type, every file: description and pattern, each ended by a null.
const std::wstring kSaveFilter = L"所有文件(*.*)\0*.*\0"s;

std::wstring Caption(int nAction)
{
    switch (nAction) {
    case kManualInstall:
        return L"手动安装";
    case kAutoInstall:
        return L"自动安装";
    default:
        return L"保存安装包";
    }
}

std::optional<BY_HANDLE_FILE_INFORMATION> FileIdentity(const std::wstring& path)
{
    // No access asked for: the identity of a file another program holds
    // open is readable too.
    const CFileHandle hFile(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!hFile || !::GetFileInformationByHandle(hFile.Get(), &info))
        return std::nullopt;
    return info;
}

// Copies the located installer to a file the technician picks; returns the
// folder it was saved in, or empty.
std::wstring SaveInstaller(HWND hOwner, CShell& shell, const std::wstring& configured, const std::wstring& savePath)
{
    const std::wstring caption = Caption(kSaveInstaller);
    const std::optional<std::wstring> target = AskSaveFileName(hOwner, ProposedTarget(savePath, configured),
                                                               kSaveFilter);
    if (!target)
        return std::wstring();
    std::wstring parameters;
    const std::wstring source = shell.GetFile(parameters);
    // A copy onto the installer itself would empty it before reading it:
    // refused like any other copy that cannot be made.
    const bool bSaved = !SameFile(source, *target) && shell.CopyTo(*target, false);
    if (!bSaved) {
        ShowMessageBox(hOwner, kSaveFailed + configured + kSaveTarget + *target, caption, MB_ICONEXCLAMATION);
        return std::wstring();
    }
    ShowMessageBox(hOwner, kSaved + *target, caption, MB_ICONINFORMATION);
    const size_t slash = target->find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : target->substr(0, slash + 1);
}

} // namespace

std::wstring ProposedTarget(const std::wstring& savePath, const std::wstring& configured)
{
    std::wstring folder = savePath;
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    const size_t slash = configured.rfind(L'\\');
    return slash == std::wstring::npos ? folder : folder + configured.substr(slash + 1);
}

std::wstring SaveStartFolder(const std::wstring& lastUsed, const std::wstring& configured)
{
    if (!lastUsed.empty())
        return lastUsed;
    return configured.empty() ? KnownFolderPath(FOLDERID_Documents) : configured;
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const auto first = FileIdentity(a);
    const auto second = FileIdentity(b);
    return first && second && first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
           first->nFileIndexHigh == second->nFileIndexHigh && first->nFileIndexLow == second->nFileIndexLow;
}

std::wstring Perform(HWND hOwner, int nAction, const SoftwareEntry& entry, const std::wstring& savePath)
{
    if (nAction != kManualInstall && nAction != kAutoInstall && nAction != kSaveInstaller)
        return std::wstring();
    const std::wstring caption = Caption(nAction);
    const std::wstring& configured = nAction == kAutoInstall ? entry.AutoInstall : entry.ManualInstall;
    CShell shell;
    if (!shell.Locate(configured, L"")) {
        ShowMessageBox(hOwner, kNotFound + configured, caption, MB_ICONEXCLAMATION);
        return std::wstring();
    }
    if (nAction == kSaveInstaller)
        return SaveInstaller(hOwner, shell, configured, savePath);
    // The installer runs on while the technician goes on working; its process
    // handle goes with the shell object at the end of this action.
    if (!shell.Run(false))
        ShowMessageBox(hOwner, kRunFailed + configured, caption, MB_ICONEXCLAMATION);
    return std::wstring();
}

} // namespace row_actions
