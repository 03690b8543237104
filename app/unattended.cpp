#include "app/unattended.h"

#include "batch/batch_lock.h"
#include "batch/batch_log.h"
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"
#include "batch/save_folder.h"
#include "catalogue/catalogue.h"
#include "catalogue/detection_script.h"
#include "catalogue/ini_profile.h"
#include "catalogue/install_state.h"
#include "platform/module_path.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "shell/held_folder.h"
#include "shell/installed_programs.h"

#include <set>

namespace {

// Tells the caller, or the user when there is no caller to read it: a
// message box, unless the command line asked for no window at all.
void Tell(const std::wstring& text, bool bQuiet, UINT nIcon)
{
    if (!WriteToCaller(text) && !bQuiet)
        ShowMessageBox(nullptr, text, L"Tovrin Quillset", MB_OK | nIcon);
}

std::wstring JoinedNames(const std::vector<std::wstring>& names)
{
    std::wstring joined;
    for (const std::wstring& name : names)
        joined += (joined.empty() ? L"" : L"; ") + name;
    return joined;
}

// The line that tells where the log went, or that it could not be written.
std::wstring LogFileLine(const BatchSummary& summary)
{
    return summary.dwLogError == 0 ? L"日志文件: " + summary.strLogFile + L"\n"
                                   : L"日志文件无法写入: " + summary.strLogFile + L" (Windows 错误 " +
                                         std::to_wstring(summary.dwLogError) + L")\n";
}

// Every refusal ends here: a bad command line, or a batch that cannot run
// (no usable catalogue, an entry the catalogue lacks). The reason goes to
// the caller, else into a box unless the line is quiet, and into the log:
// the batch's log when the line was read whole, else a log of its own
// (a detection script that cannot be written has no batch to log).
// Returns nExitCode.
int Refuse(const CommandLine& commandLine, const std::wstring& strCatalogue, const std::wstring& strReason,
           int nExitCode)
{
    if (commandLine.kind == StartKind::DetectScript) {
        // No batch: nothing to log.
        Tell(strReason + L"\n" + L"没有写检测脚本。退出代码 " + std::to_wstring(nExitCode), commandLine.bQuiet,
             MB_ICONEXCLAMATION);
        return nExitCode;
    }
    if (commandLine.kind == StartKind::BadCommandLine) {
        // Deployment tools read logs, not consoles: the log the line named,
        // else the machine's log folder.
        BatchSummary summary;
        LogRefusedCommandLine(commandLine.strLogFile, strReason, summary);
        Tell(strReason + L"\n" + LogFileLine(summary) + L"\n" + UsageText(), commandLine.bQuiet, MB_ICONEXCLAMATION);
        return nExitCode;
    }
    const std::wstring nothingRan = L"什么也没有运行。退出代码 " + std::to_wstring(nExitCode);
    BatchOptions options;
    options.strCatalogue = strCatalogue;
    options.strLogFile = commandLine.strLogFile;
    options.arrLogNotes = {strReason, nothingRan};
    CBatchLog log(options, commandLine.kind == StartKind::Install ? kInstallBatch : kSaveBatch,
                  commandLine.strSaveFolder);
    BatchSummary summary;
    log.Finish(summary);
    Tell(strReason + L"\n" + nothingRan + L"\n" + LogFileLine(summary), commandLine.bQuiet, MB_ICONEXCLAMATION);
    return nExitCode;
}

// The entries the /select: names and saved selections name, or without
// either the checked ones; missing receives the names the catalogue lacks,
// missingSets the selections it lacks.
std::vector<const SoftwareEntry*> ChosenEntries(const CatalogueSettings& settings, const CommandLine& commandLine,
                                                std::vector<std::wstring>& missing,
                                                std::vector<std::wstring>& missingSets)
{
    std::vector<std::wstring> names = commandLine.arrSelect;
    const std::vector<std::wstring> fromSets = SetEntryNames(settings, commandLine.arrSets, missingSets);
    names.insert(names.end(), fromSets.begin(), fromSets.end());
    std::set<std::wstring> wanted;
    for (const std::wstring& name : names)
        wanted.insert(FoldedProfileName(name));
    const bool bSelect = !commandLine.arrSelect.empty() || !commandLine.arrSets.empty();
    std::vector<const SoftwareEntry*> entries = SelectEntries(settings, [&](const SoftwareEntry& entry) {
        return bSelect ? wanted.count(FoldedProfileName(entry.Name)) > 0 : entry.Checked != 0;
    });
    std::set<std::wstring> found;
    for (const SoftwareEntry* pEntry : entries)
        found.insert(FoldedProfileName(pEntry->Name));
    for (const std::wstring& name : names) {
        if (!found.count(FoldedProfileName(name)))
            missing.push_back(name);
    }
    return entries;
}

// The log's and the output's note for an entry an install leaves out.
std::wstring SkippedNote(const SoftwareEntry& entry, const InstallStatus& status)
{
    return entry.Name + L": " + InstallStateText(entry, status) + L", 跳过";
}

// /check: 0 and one line of output when every entry is installed at its
// version or newer; else 1 and no output at all, the rule of deployment
// tools' detection scripts.
int CheckInstalled(const std::vector<const SoftwareEntry*>& entries)
{
    if (entries.empty())
        return kExitNotInstalled;
    const CInstalledSnapshot snapshot = ReadInstalledPrograms();
    std::wstring line;
    for (const SoftwareEntry* pEntry : entries) {
        const InstallStatus status = snapshot.StatusOf(*pEntry);
        if (!status.IsCurrent())
            return kExitNotInstalled;
        line += (line.empty() ? L"已安装: " : L"; ") + pEntry->Name +
                (status.strInstalled.empty() ? L"" : L" " + status.strInstalled);
    }
    WriteToCaller(line + L"\n");
    return kExitSuccess;
}

// /detectscript: writes the script for the entries; 0 when it was written.
int WriteDetectionScript(const CommandLine& commandLine, const std::vector<const SoftwareEntry*>& entries)
{
    std::vector<std::wstring> blind;
    for (const SoftwareEntry* pEntry : entries) {
        if (!HasInstallIdentity(*pEntry))
            blind.push_back(pEntry->Name);
    }
    if (entries.empty())
        blind.push_back(L"(没有勾选或选择任何软件)");
    if (!blind.empty()) {
        Tell(L"无法检测这些软件 (目录中没有 ProductCode、UninstallKey 或 InstalledName), 没有写检测脚本: " +
                 JoinedNames(blind),
             commandLine.bQuiet, MB_ICONEXCLAMATION);
        return kExitFailed;
    }
    std::wstring script = DetectionScript(entries);
    for (size_t at = script.find(L'\n'); at != std::wstring::npos; at = script.find(L'\n', at + 2))
        script.insert(at, 1, L'\r');
    // With its byte order mark, so that Windows PowerShell reads it as UTF-8.
    const std::string bytes = "\xEF\xBB\xBF" + platform_text::ToUtf8(script);
    const std::wstring& path = commandLine.strDetectScript;
    const size_t slash = path.find_last_of(L'\\');
    CHeldFolder folder;
    if (slash == std::wstring::npos || slash + 1 == path.size() || !folder.Hold(path.substr(0, slash), true) ||
        !folder.WriteInto(bytes, path.substr(slash + 1), false)) {
        const DWORD dwError = folder.IsHeld() ? ::GetLastError() : folder.Error();
        Tell(L"检测脚本无法写入: " + path + L" (" + platform_text::WindowsErrorText(dwError) + L")", commandLine.bQuiet,
             MB_ICONEXCLAMATION);
        return kExitFailed;
    }
    Tell(L"检测脚本已写入: " + path, commandLine.bQuiet, MB_ICONINFORMATION);
    return kExitSuccess;
}

} // namespace

bool WriteToCaller(const std::wstring& text)
{
    const HANDLE hOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD dwType = hOutput && hOutput != INVALID_HANDLE_VALUE ? ::GetFileType(hOutput) : FILE_TYPE_UNKNOWN;
    std::wstring lines = text;
    for (size_t at = lines.find(L'\n'); at != std::wstring::npos; at = lines.find(L'\n', at + 2))
        lines.insert(at, 1, L'\r');
    if (dwType == FILE_TYPE_DISK || dwType == FILE_TYPE_PIPE) {
        const std::string utf8 = platform_text::ToUtf8(lines);
        DWORD dwWritten = 0;
        return ::WriteFile(hOutput, utf8.data(), static_cast<DWORD>(utf8.size()), &dwWritten, nullptr) != FALSE;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    const CFileHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    // The shell has shown its prompt again before a window program writes.
    lines = L"\r\n" + lines;
    DWORD dwWritten = 0;
    const bool bWritten = console && ::WriteConsoleW(console.Get(), lines.c_str(), static_cast<DWORD>(lines.size()),
                                                     &dwWritten, nullptr);
    ::FreeConsole();
    return bWritten;
}

int RunCommandLine(const CommandLine& commandLine)
{
    if (commandLine.kind == StartKind::Usage) {
        Tell(UsageText(), commandLine.bQuiet, MB_ICONINFORMATION);
        return kExitSuccess;
    }
    if (commandLine.kind == StartKind::BadCommandLine)
        return Refuse(commandLine, L"", L"命令行有误: " + commandLine.strError, kExitBadCommandLine);

    CatalogueLoad load;
    const CatalogueSettings* pSettings = LoadCatalogue(GetApp(), &load);
    if (commandLine.kind == StartKind::Check) {
        std::vector<std::wstring> missing;
        std::vector<std::wstring> missingSets;
        const std::vector<const SoftwareEntry*> entries =
            load.Usable() ? ChosenEntries(*pSettings, commandLine, missing, missingSets)
                          : std::vector<const SoftwareEntry*>();
        return missing.empty() && missingSets.empty() ? CheckInstalled(entries) : kExitNotInstalled;
    }
    if (!load.Usable())
        return Refuse(commandLine, load.strPath, CatalogueNotice(load), kExitNoCatalogue);
    std::vector<std::wstring> notes;
    if (load.extent == CatalogueExtent::CutShort)
        notes.push_back(CutShortNotice());

    std::vector<std::wstring> missing;
    std::vector<std::wstring> missingSets;
    const std::vector<const SoftwareEntry*> entries = ChosenEntries(*pSettings, commandLine, missing, missingSets);
    if (!missingSets.empty())
        return Refuse(commandLine, load.strPath,
                      L"目录中没有这些选择集 ([" + std::wstring(kSetsSection) + L"]): " + JoinedNames(missingSets),
                      kExitBadCommandLine);
    if (!missing.empty())
        return Refuse(commandLine, load.strPath, L"目录中没有这些软件: " + JoinedNames(missing), kExitBadCommandLine);
    if (entries.empty())
        notes.push_back(L"目录文件中没有勾选任何软件 (Checked=1), 也没有用 /select: 指定软件: 什么也不用做。");
    if (commandLine.kind == StartKind::DetectScript)
        return WriteDetectionScript(commandLine, entries);

    const bool bInstall = commandLine.kind == StartKind::Install;
    // An install leaves out what is installed at its version or newer,
    // unless /reinstall asks for it.
    const bool bSkipInstalled = bInstall && !commandLine.bReinstall;
    const CInstalledSnapshot snapshot = bSkipInstalled ? ReadInstalledPrograms() : CInstalledSnapshot();
    std::vector<const SoftwareEntry*> toRun;
    for (const SoftwareEntry* pEntry : entries) {
        const InstallStatus status = bSkipInstalled ? snapshot.StatusOf(*pEntry) : InstallStatus();
        if (status.IsCurrent())
            notes.push_back(SkippedNote(*pEntry, status));
        else
            toRun.push_back(pEntry);
    }
    for (const std::wstring& note : notes)
        WriteToCaller(note + L"\n");

    // Each item is looked up once, here; the batch acts on what was found.
    std::vector<ResolvedItem> items;
    for (const SoftwareEntry* pEntry : toRun)
        items.push_back(ResolveItem(pEntry->Name, bInstall ? pEntry->AutoInstall : pEntry->ManualInstall));
    // One batch at a time on this machine, held until this one has ended.
    CBatchLock lock;
    if (!items.empty() && !lock.Take())
        return Refuse(commandLine, load.strPath, BatchLockRefusal(lock.Error()), kExitBusy);
    // The save folder becomes a disc of this catalogue.
    const SaveDisc disc = bInstall ? SaveDisc() : MakeSaveDisc(*pSettings, toRun, load.strPath, ProgramPlace().Path());
    // A save folder the batch could not write into is found out before it.
    if (!bInstall && !items.empty()) {
        const SaveFolderCheck check =
            CheckSaveFolder(commandLine.strSaveFolder, true, BytesToSave(items, commandLine.strSaveFolder, &disc));
        if (!check.Ok())
            return Refuse(commandLine, load.strPath,
                          L"不能保存到此文件夹: " + commandLine.strSaveFolder + L": " + check.strReason, kExitFailed);
    }
    CProgDlg dlg;
    dlg.m_nMode = bInstall ? kInstallBatch : kSaveBatch;
    dlg.m_pItems = &items;
    dlg.m_strSavePath = commandLine.strSaveFolder;
    dlg.m_pDisc = bInstall ? nullptr : &disc;
    dlg.m_options.strCatalogue = load.strPath;
    dlg.m_options.strLogFile = commandLine.strLogFile;
    dlg.m_options.arrLogNotes = notes;
    dlg.m_options.bReport = false;
    dlg.m_options.bUnattended = true;
    dlg.m_options.bAnyDrive = commandLine.bAnyDrive;
    if (commandLine.nTimeoutSeconds)
        dlg.m_options.dwItemTimeoutMs = commandLine.nTimeoutSeconds * 1000;
    // A missing save folder is made by the batch; if it cannot be, the
    // copies fail and the log tells why.
    dlg.m_options.bMakeSaveFolder = true;
    if (commandLine.bQuiet)
        dlg.RunWithoutWindow();
    else
        dlg.DoModal();

    const BatchSummary& summary = dlg.m_summary;
    const int nExitCode = BatchExitCode(dlg.m_arrFailed.size(), summary);
    if (!bInstall) {
        // What the folder holds beside the installers, and what it lacks.
        std::wstring lines;
        for (const std::wstring& note : dlg.m_arrNotes)
            lines += note + L"\n";
        for (const std::wstring& failed : summary.arrExtraFailed)
            lines += L"没有复制: " + failed + L"\n";
        if (!summary.strCatalogueError.empty())
            lines += L"目录文件无法写入: " + summary.strCatalogueError + L"\n";
        if (!lines.empty())
            WriteToCaller(lines);
    }
    WriteToCaller(L"共 " + std::to_wstring(items.size()) + L" 项, 失败 " + std::to_wstring(dlg.m_arrFailed.size()) +
                  L" 项, 需要重新启动 " + std::to_wstring(summary.arrRestart.size()) + L" 项。退出代码 " +
                  std::to_wstring(nExitCode) + L"\n" + LogFileLine(summary));
    return nExitCode;
}
