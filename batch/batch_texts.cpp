#include "batch/batch_texts.h"

#include <cwchar>

std::wstring BatchCaption(int nMode, float fPercent, const std::wstring& strPath)
{
    wchar_t szCaption[64] = {};
    std::swprintf(szCaption, std::size(szCaption), nMode != kInstallBatch ? L"正在保存...%.1f%% " : L"正在安装...%.1f%% ",
                  static_cast<double>(fPercent));
    return szCaption + strPath;
}

std::wstring SaveDestination(const std::wstring& strFolder, const std::wstring& strPath)
{
    std::wstring destination = strFolder;
    if (!destination.empty() && destination.back() == L'\\')
        destination.pop_back();
    // The name after the last separator; a relative name such as "setup.exe"
    // (found in the current folder) is a name as a whole.
    const size_t slash = strPath.find_last_of(L"\\/");
    size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    if (slash == std::wstring::npos && strPath.size() >= 2 && strPath[1] == L':')
        nameAt = 2;
    return destination + L"\\" + strPath.substr(nameAt);
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

BatchReport MakeBatchReport(int nMode, const std::vector<std::wstring>& arrFailed, const std::wstring& strSavePath,
                            const std::vector<std::wstring>& arrNotes)
{
    const bool bSave = nMode != kInstallBatch;
    BatchReport report;
    report.strCaption = bSave ? L"保存安装包" : L"软件安装";
    std::wstring notes;
    for (const std::wstring& strNote : arrNotes)
        notes += (notes.empty() ? L"\n\n" : L"\n") + strNote;
    if (arrFailed.empty()) {
        report.strText = L"所有项目安装完毕!" + notes;
        report.nType = MB_ICONINFORMATION;
        return report;
    }
    report.strText = bSave ? L"某些项目保存失败, 请检查这些项目的文件路径!\n\n保存失败文件路径列表:\n"
                           : L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n";
    for (const std::wstring& strPath : arrFailed)
        report.strText += strPath + L"\n";
    if (bSave)
        report.strText += L"\n文件保存路径: " + strSavePath;
    report.strText += notes;
    report.nType = MB_ICONEXCLAMATION;
    return report;
}
