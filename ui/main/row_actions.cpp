#include "ui/main/row_actions.h"

#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"
#include "catalogue/catalogue.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"

#include <shlobj.h>

namespace row_actions {

using namespace std::string_literals;

namespace {

const wchar_t kNotFound[] = L"文件没找到, 请检查安装文件路径!\n\n文件原始路径: ";
const wchar_t kNoAutoInstall[] =
    L"此软件无自动安装: 目录没有为它提供无人值守的安装命令 (没有已知的静默参数), 请使用手动安装。\n\n软件: ";
const wchar_t kSaved[] = L"安装文件保存完毕!\n\n文件保存路径: ";
const wchar_t kSaveFailed[] = L"文件保存失败, 请检查安装文件路径!\n\n文件原始路径: ";
const wchar_t kSaveTarget[] = L"\n文件保存路径: ";
const wchar_t kOtherDrive[] = L"此文件不在本程序所在的驱动器上, 将使用:\n\n";
const wchar_t kGoOn[] = L"\n\n是否继续?";

// One file type, every file: description and pattern, each ended by a null.
const std::wstring kSaveFilter = L"所有文件(*.*)\0*.*\0"s;

} // namespace

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

namespace {

// Looks the link's file up once: what the technician is asked about is what
// runs or is copied. Nothing when it is not there, or lies on another drive
// and the technician did not agree to it.
std::optional<ResolvedItem> LookUp(HWND hOwner, int nAction, const std::wstring& name, const std::wstring& configured)
{
    const std::wstring caption = Caption(nAction);
    ResolvedItem resolved = ResolveItem(name, configured);
    if (!resolved.bFound) {
        ShowMessageBox(hOwner, kNotFound + configured, caption, MB_ICONEXCLAMATION);
        return std::nullopt;
    }
    // A "cdrom:\" file from another drive than the program's own (a mounted
    // image, a stick) is used only when the technician agrees to it.
    if (FromOtherDrive(resolved) &&
        ShowMessageBox(hOwner, kOtherDrive + resolved.strFile + kGoOn, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return std::nullopt;
    return resolved;
}

// Copies the located installer to a file the technician picks; returns the
// folder it was saved in, or empty.
std::wstring SaveResolved(HWND hOwner, const ResolvedItem& resolved, const std::wstring& savePath)
{
    const std::wstring caption = Caption(kSaveInstaller);
    const std::wstring& configured = resolved.strConfigured;
    const std::optional<std::wstring> target = AskSaveFileName(hOwner, ProposedTarget(savePath, configured),
                                                               kSaveFilter);
    if (!target)
        return std::wstring();
    // A large installer from a slow disc takes minutes: the copy runs on the
    // batch worker behind the progress window, as a batch of one, which
    // refuses a copy onto the installer itself.
    const std::vector<ResolvedItem> items{resolved};
    std::vector<std::wstring> notes;
    bool bSaved = false;
    ::ShowWindow(hOwner, SW_HIDE);
    {
        CProgDlg dlg(CWnd::FromHandle(hOwner));
        dlg.m_nMode = kSaveFileBatch;
        dlg.m_pItems = &items;
        dlg.m_strSavePath = *target;
        dlg.DoModal();
        bSaved = dlg.m_arrFailed.empty();
        notes = dlg.m_arrNotes;
    }
    ::ShowWindow(hOwner, SW_SHOW);
    if (bSaved) {
        ShowMessageBox(hOwner, kSaved + *target, caption, MB_ICONINFORMATION);
        const size_t slash = target->find_last_of(L"\\/");
        return slash == std::wstring::npos ? std::wstring() : target->substr(0, slash + 1);
    }
    std::wstring text = kSaveFailed + configured + kSaveTarget + *target;
    for (const std::wstring& note : notes)
        text += L"\n\n" + note;
    ShowMessageBox(hOwner, text, caption, MB_ICONEXCLAMATION);
    return std::wstring();
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

std::optional<ResolvedItem> InstallItem(HWND hOwner, int nAction, const SoftwareEntry& entry)
{
    if (nAction != kManualInstall && nAction != kAutoInstall)
        return std::nullopt;
    if (nAction == kAutoInstall && platform_text::TrimSpace(entry.AutoInstall).empty()) {
        ShowMessageBox(hOwner, kNoAutoInstall + entry.Name, Caption(nAction), MB_ICONINFORMATION);
        return std::nullopt;
    }
    return LookUp(hOwner, nAction, entry.Name, nAction == kAutoInstall ? entry.AutoInstall : entry.ManualInstall);
}

std::wstring SaveInstaller(HWND hOwner, const SoftwareEntry& entry, const std::wstring& savePath)
{
    const std::optional<ResolvedItem> resolved = LookUp(hOwner, kSaveInstaller, entry.Name, entry.ManualInstall);
    return resolved ? SaveResolved(hOwner, *resolved, savePath) : std::wstring();
}

} // namespace row_actions
