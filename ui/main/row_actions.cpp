#include "ui/main/row_actions.h"

#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"
#include "catalogue/catalogue.h"
#include "platform/system_dialogs.h"
#include "shell/resolved_item.h"
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
const wchar_t kOtherDrive[] = L"此文件不在本程序所在的驱动器上, 将使用:\n\n";
const wchar_t kGoOn[] = L"\n\n是否继续?";

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

// Copies the located installer to a file the technician picks; returns the
// folder it was saved in, or empty.
std::wstring SaveInstaller(HWND hOwner, const ResolvedItem& resolved, const std::wstring& savePath)
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

std::wstring Perform(HWND hOwner, int nAction, const SoftwareEntry& entry, const std::wstring& savePath)
{
    if (nAction != kManualInstall && nAction != kAutoInstall && nAction != kSaveInstaller)
        return std::wstring();
    const std::wstring caption = Caption(nAction);
    const std::wstring& configured = nAction == kAutoInstall ? entry.AutoInstall : entry.ManualInstall;
    // Looked up once: what the technician is asked about is what runs.
    const ResolvedItem resolved = ResolveItem(entry.Name, configured);
    if (!resolved.bFound) {
        ShowMessageBox(hOwner, kNotFound + configured, caption, MB_ICONEXCLAMATION);
        return std::wstring();
    }
    // A "cdrom:\" file from another drive than the program's own (a mounted
    // image, a stick) runs only when the technician agrees to it.
    if (FromOtherDrive(resolved) &&
        ShowMessageBox(hOwner, kOtherDrive + resolved.strFile + kGoOn, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return std::wstring();
    if (nAction == kSaveInstaller)
        return SaveInstaller(hOwner, resolved, savePath);
    // The file must still be the one found, and stays so until its process
    // has started (or, for a file the process reads as it runs, has ended).
    CHeldFile held(resolved);
    if (!held.Held()) {
        ShowMessageBox(hOwner, kRunFailed + configured + L"\n\n" + ItemErrorText(held.Error()), caption,
                       MB_ICONEXCLAMATION);
        return std::wstring();
    }
    // The installer runs on while the technician goes on working; its process
    // handle goes with the shell object at the end of this action. A
    // document opened through the desktop's shell has no process here.
    CShell shell;
    shell.Take(resolved);
    const HANDLE hProcess = shell.Run(false);
    if (!hProcess && shell.LastError() != 0)
        ShowMessageBox(hOwner, kRunFailed + configured, caption, MB_ICONEXCLAMATION);
    else if (hProcess && ReadAfterStart(resolved.strFile))
        HoldUntilProcessEnds(std::move(held), hProcess);
    return std::wstring();
}

} // namespace row_actions
