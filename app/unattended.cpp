#include "app/unattended.h"

#include "batch/batch_log.h"
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"

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
        Tell(UsageText(), false, MB_ICONINFORMATION);
        return kExitSuccess;
    }
    if (commandLine.kind == StartKind::BadCommandLine) {
        // Deployment tools read logs, not consoles.
        LogRefusedCommandLine(commandLine.strLogFile, commandLine.strError);
        Tell(L"命令行有误: " + commandLine.strError + L"\n\n" + UsageText(), commandLine.bQuiet, MB_ICONEXCLAMATION);
        return kExitBadCommandLine;
    }

    const std::wstring catalogue = ProfilePathFor(RunningExecutablePath());
    const DWORD dwAttributes = catalogue.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(catalogue.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Tell(L"程序旁边没有目录文件: " + catalogue, commandLine.bQuiet, MB_ICONEXCLAMATION);
        return kExitNoCatalogue;
    }
    CatalogueExtent extent = CatalogueExtent::Whole;
    const CatalogueSettings* pSettings = LoadCatalogue(GetApp(), &extent);
    if (extent == CatalogueExtent::CutShort)
        WriteToCaller(CutShortNotice() + L"\n");

    // The entries named, or the checked ones; every name must be there.
    std::set<std::wstring> wanted;
    for (const std::wstring& name : commandLine.arrSelect)
        wanted.insert(FoldedProfileName(name));
    const bool bSelect = !wanted.empty();
    const std::vector<const SoftwareEntry*> entries = SelectEntries(*pSettings, [&](const SoftwareEntry& entry) {
        return bSelect ? wanted.count(FoldedProfileName(entry.Name)) > 0 : entry.Checked != 0;
    });
    std::vector<std::wstring> missing;
    for (const std::wstring& name : commandLine.arrSelect) {
        const std::wstring key = FoldedProfileName(name);
        bool bFound = false;
        for (const SoftwareEntry* pEntry : entries)
            bFound = bFound || FoldedProfileName(pEntry->Name) == key;
        if (!bFound)
            missing.push_back(name);
    }
    if (!missing.empty()) {
        Tell(L"目录中没有这些软件: " + JoinedNames(missing), commandLine.bQuiet, MB_ICONEXCLAMATION);
        return kExitBadCommandLine;
    }

    const bool bInstall = commandLine.kind == StartKind::Install;
    std::vector<std::wstring> items;
    CProgDlg dlg;
    for (const SoftwareEntry* pEntry : entries) {
        items.push_back(bInstall ? pEntry->AutoInstall : pEntry->ManualInstall);
        dlg.m_options.arrNames.push_back(pEntry->Name);
    }
    dlg.m_nMode = bInstall ? kInstallBatch : kSaveBatch;
    dlg.m_pSourceList = &items;
    dlg.m_strSavePath = commandLine.strSaveFolder;
    dlg.m_options.strCatalogue = catalogue;
    dlg.m_options.strLogFile = commandLine.strLogFile;
    dlg.m_options.bReport = false;
    // A missing save folder is made by the batch; if it cannot be, the
    // copies fail and the log tells why.
    dlg.m_options.bMakeSaveFolder = true;
    if (commandLine.bQuiet)
        dlg.RunWithoutWindow();
    else
        dlg.DoModal();

    const BatchSummary& summary = dlg.m_summary;
    const int nExitCode = BatchExitCode(dlg.m_arrFailed.size(), summary);
    std::wstring text = L"共 " + std::to_wstring(items.size()) + L" 项, 失败 " + std::to_wstring(dlg.m_arrFailed.size()) +
                        L" 项, 需要重新启动 " + std::to_wstring(summary.arrRestart.size()) + L" 项。退出代码 " +
                        std::to_wstring(nExitCode) + L"\n";
    text += summary.dwLogError == 0 ? L"日志文件: " + summary.strLogFile + L"\n"
                                    : L"日志文件无法写入: " + summary.strLogFile + L" (Windows 错误 " +
                                          std::to_wstring(summary.dwLogError) + L")\n";
    WriteToCaller(text);
    return nExitCode;
}
