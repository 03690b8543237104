#include "batch/batch_texts.h"

#include "platform/text.h"
#include "shell/resolved_item.h"
#include "shell/shell.h"

#include <cwchar>

const wchar_t* BatchBoxCaption(int nMode) noexcept
{
    return nMode != kInstallBatch ? L"保存安装包" : L"软件安装";
}

std::wstring BatchCaption(int nMode, float fPercent, size_t nItem, size_t nCount, const std::wstring& strName,
                         const std::wstring& strPath)
{
    wchar_t szCaption[64] = {};
    std::swprintf(szCaption, std::size(szCaption), nMode != kInstallBatch ? L"正在保存...%.1f%% " : L"正在安装...%.1f%% ",
                  static_cast<double>(fPercent));
    if (nItem == 0)
        return szCaption;
    return szCaption + (L"(" + std::to_wstring(nItem) + L"/" + std::to_wstring(nCount) + L") ") +
           NamedLine(strName, strPath);
}

std::wstring NumberedName(const std::wstring& strPath, int n)
{
    const size_t slash = strPath.find_last_of(L"\\/");
    const size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    size_t dot = strPath.find_last_of(L'.');
    // No extension: no dot in the name, or only one that starts it.
    if (dot == std::wstring::npos || dot <= nameAt)
        dot = strPath.size();
    return strPath.substr(0, dot) + L" (" + std::to_wstring(n) + L")" + strPath.substr(dot);
}

bool InstallerSucceeded(DWORD dwExitCode) noexcept
{
    return dwExitCode == 0 || dwExitCode == ERROR_SUCCESS_REBOOT_REQUIRED ||
           dwExitCode == ERROR_SUCCESS_REBOOT_INITIATED;
}

std::wstring ItemErrorText(DWORD dwError)
{
    // The program's own refusals are no Windows errors.
    if (dwError == kErrorFileReplaced)
        return kReplacedText;
    std::wstring refusal = RefusalText(dwError);
    return refusal.empty() ? WindowsErrorText(dwError) : refusal;
}

std::wstring ExitCodeMeaning(DWORD dwExitCode)
{
    switch (dwExitCode) {
    case ERROR_INSTALL_USEREXIT:
        return L"安装被用户取消";
    case ERROR_INSTALL_FAILURE:
        return L"安装过程中发生严重错误";
    case ERROR_INSTALL_ALREADY_RUNNING:
        return L"另一个安装正在进行, 请等它完成后再试";
    case ERROR_INSTALL_PACKAGE_OPEN_FAILED:
        return L"无法打开安装包, 请检查文件是否完整";
    case ERROR_INSTALL_PACKAGE_REJECTED:
        return L"系统策略禁止此安装";
    case ERROR_INSTALL_PLATFORM_UNSUPPORTED:
        return L"安装包不支持本机的处理器类型";
    case ERROR_SUCCESS_REBOOT_REQUIRED:
        return L"已安装, 需要重新启动计算机";
    case ERROR_SUCCESS_REBOOT_INITIATED:
        return L"已安装, 安装程序已开始重新启动计算机";
    default:
        return {};
    }
}

std::wstring EndedText(const LogItem& item)
{
    if (item.end == InstallerEnd::kByItself)
        return {};
    if (item.end == InstallerEnd::kNotEnded)
        return L"无法结束安装程序 (" + ItemErrorText(item.dwCode) + L"), 它可能仍在运行";
    std::wstring text = item.end == InstallerEnd::kTimedOut ? L"超过规定时间, 已结束" : L"已按要求结束";
    text += item.bInJob ? L"安装程序及其启动的所有进程" : L"安装程序 (它启动的进程未能一并结束)";
    if (item.end == InstallerEnd::kEndedByUser)
        text += L", 该软件可能只安装了一部分";
    if (item.bWindowsInstaller)
        text += L"; Windows Installer 服务中进行的安装不由本程序结束, 可能仍在进行";
    return text;
}

std::wstring FailureReason(const LogItem& item)
{
    if (const std::wstring ended = EndedText(item); !ended.empty())
        return L"(" + ended + L")";
    if (!item.bFound)
        return L"(文件没找到)";
    if (item.bExitCode) {
        const std::wstring meaning = ExitCodeMeaning(item.dwCode);
        return L"(安装程序退出码 " + std::to_wstring(static_cast<long>(item.dwCode)) +
               (meaning.empty() ? L"" : L": " + meaning) + L")";
    }
    if (item.dwCode == 0)
        return L"(没有启动进程)";
    return L"(" + ItemErrorText(item.dwCode) + L")";
}

std::wstring ListedLines(const std::vector<std::wstring>& items, const std::wstring& strUnit)
{
    std::wstring lines;
    const size_t listed = items.size() > kMaxListedItems ? kMaxListedItems : items.size();
    for (size_t i = 0; i < listed; ++i)
        lines += items[i] + L"\n";
    if (listed < items.size())
        lines += L"…… 等共 " + std::to_wstring(items.size()) + L" " + strUnit + L"\n";
    return lines;
}

std::wstring NamedLine(const std::wstring& strName, const std::wstring& strPath)
{
    if (strName.empty() || strName == strPath)
        return strPath;
    return strPath.empty() ? strName : strName + L" | " + strPath;
}

std::wstring NoteAlreadyThere(const std::wstring& strSource)
{
    return L"已在保存文件夹中, 无需复制: " + strSource;
}

std::wstring NoteRenamed(const std::wstring& strSource, const std::wstring& strTarget)
{
    return L"文件夹中已有同名文件, " + strSource + L" 另存为: " + strTarget;
}

std::wstring NoteFolderIsLink(const std::wstring& strTarget)
{
    return L"保存位置经过链接或重解析点, 为安全起见未写入: " + strTarget;
}

namespace {

// The end of every report: the log file, then the restart an installer has
// started, or the question whether to restart for those that asked.
void AddReportEnd(BatchReport& report, const BatchSummary& summary)
{
    if (summary.dwLogError == 0)
        report.strText += L"\n日志文件: " + summary.strLogFile;
    else
        report.strText += L"\n日志文件无法写入: " + summary.strLogFile + L" (Windows 错误 " +
                          std::to_wstring(summary.dwLogError) + L")";
    if (!summary.strRestartStarted.empty()) {
        // The installer restarts the machine itself: there is nothing to offer.
        report.strText += L"\n\n" + summary.strRestartStarted + L" 的安装程序已开始重新启动计算机。";
    } else if (!summary.arrRestart.empty()) {
        report.strText += L"\n\n以下软件需要重新启动计算机才能完成安装:\n" + ListedLines(summary.arrRestart, L"项") +
                          L"\n是否立即重新启动计算机?";
        // No is the default: a key pressed in passing never restarts the machine.
        report.nType = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    }
}

} // namespace

BatchReport MakeBatchReport(int nMode, const std::vector<std::wstring>& arrFailedLines, const std::wstring& strSavePath,
                            const BatchSummary& summary, const std::vector<std::wstring>& arrNotes)
{
    const bool bSave = nMode != kInstallBatch;
    BatchReport report;
    report.strCaption = BatchBoxCaption(nMode);
    std::wstring notes;
    for (const std::wstring& strNote : arrNotes)
        notes += (notes.empty() ? L"\n\n" : L"\n") + strNote;
    const std::vector<std::wstring>& notRun = summary.arrNotRun;
    if (arrFailedLines.empty() && notRun.empty()) {
        report.strText = bSave ? L"所有项目保存完毕!\n" : L"所有项目安装完毕!\n";
        report.nType = MB_ICONINFORMATION;
    } else {
        if (!arrFailedLines.empty() && summary.bAnyNotFound) {
            report.strText = bSave ? L"某些项目保存失败, 请检查这些项目的文件路径!\n\n保存失败文件路径列表:\n"
                                   : L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n";
            report.strText += ListedLines(arrFailedLines, L"项");
        } else if (!arrFailedLines.empty()) {
            report.strText = bSave ? L"某些项目保存失败, 请查看各项后面的失败原因!\n\n保存失败列表:\n"
                                   : L"某些项目安装失败, 请查看各项后面的失败原因!\n\n安装失败列表:\n";
            report.strText += ListedLines(arrFailedLines, L"项");
        }
        if (!notRun.empty())
            report.strText += std::wstring(report.strText.empty() ? L"" : L"\n") +
                              (summary.strRestartStarted.empty() ? kStoppedHeader : kRestartLeftOutHeader) +
                              ListedLines(notRun, L"项");
        if (bSave)
            report.strText += L"\n文件保存路径: " + strSavePath + L"\n";
        report.nType = MB_ICONEXCLAMATION;
    }
    if (!notes.empty())
        report.strText += notes.substr(1) + L"\n";
    AddReportEnd(report, summary);
    return report;
}

BatchReport MakeRowReport(const std::wstring& strCaption, const std::vector<std::wstring>& arrFailedLines,
                          const BatchSummary& summary)
{
    BatchReport report;
    report.strCaption = strCaption;
    if (arrFailedLines.empty()) {
        const std::wstring name = summary.arrItems.empty() ? std::wstring() : summary.arrItems.front().strName;
        report.strText = (name.empty() ? L"" : name + L" ") + L"安装完毕!\n";
        report.nType = MB_ICONINFORMATION;
    } else {
        report.strText = summary.bAnyNotFound ? L"安装失败, 请检查安装文件路径!\n\n" : L"安装失败, 请查看失败原因!\n\n";
        report.strText += ListedLines(arrFailedLines, L"项");
        report.nType = MB_ICONEXCLAMATION;
    }
    AddReportEnd(report, summary);
    return report;
}

