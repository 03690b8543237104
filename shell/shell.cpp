#include "shell/shell.h"

#include "shell/path_resolution.h"

#include <shellapi.h>

CShell::CShell(const std::wstring& strFile, const std::wstring& strParameters)
    : m_strFile(strFile), m_strParameters(strParameters)
{
    Resolve();
}

int CShell::Locate(const std::wstring& strFile, const std::wstring& strParameters)
{
    m_strFile = strFile;
    m_strParameters = strParameters;
    Resolve();
    return m_bFound;
}

void CShell::Resolve()
{
    ResolvedPath resolved = ResolvePath(m_strFile, m_strParameters, &PathExists, &CdromRoots);
    m_bFound = resolved.bFound ? 1 : 0;
    m_strFile = std::move(resolved.strFile);
    m_strParameters = std::move(resolved.strParameters);
}

std::wstring CShell::GetFile(std::wstring& strParameters) const
{
    strParameters = m_strParameters;
    return m_strFile;
}

HANDLE CShell::Run(bool bWait)
{
    m_dwLastError = ERROR_FILE_NOT_FOUND;
    if (!m_bFound)
        return nullptr;
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    // The callers report a failure in their own words: the shell's own
    // error box would stop an unattended batch until someone answers it.
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpFile = m_strFile.c_str();
    sei.lpParameters = m_strParameters.empty() ? nullptr : m_strParameters.c_str();
    sei.nShow = SW_SHOW;
    m_dwLastError = ::ShellExecuteExW(&sei) ? 0 : ::GetLastError();
    m_hProcess.Reset(sei.hProcess);
    if (bWait && m_hProcess)
        ::WaitForSingleObject(m_hProcess.Get(), INFINITE);
    return m_hProcess.Get();
}

int CShell::CopyTo(const std::wstring& strTarget, bool bFailIfExists)
{
    m_dwLastError = ERROR_FILE_NOT_FOUND;
    if (!m_bFound)
        return 0;
    const BOOL bCopied = ::CopyFileW(m_strFile.c_str(), strTarget.c_str(), bFailIfExists ? TRUE : FALSE);
    m_dwLastError = bCopied ? 0 : ::GetLastError();
    return bCopied ? 1 : 0;
}
