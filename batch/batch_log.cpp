#include "batch/batch_log.h"

#include "batch/batch_texts.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "shell/path_resolution.h"
#include "shell/resolved_item.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// The file version of the running program from its version resource.
std::wstring ProgramVersion()
{
    const HMODULE hModule = ::GetModuleHandleW(nullptr);
    const HRSRC hInfo = ::FindResourceW(hModule, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const HGLOBAL hData = hInfo ? ::LoadResource(hModule, hInfo) : nullptr;
    const auto* pBytes = static_cast<const BYTE*>(hData ? ::LockResource(hData) : nullptr);
    const DWORD nSize = hInfo ? ::SizeofResource(hModule, hInfo) : 0;
    // The fixed part starts with its signature, on a four-byte boundary.
    for (DWORD at = 0; pBytes && at + sizeof(VS_FIXEDFILEINFO) <= nSize; at += 4) {
        VS_FIXEDFILEINFO info{};
        std::memcpy(&info, pBytes + at, sizeof(info));
        if (info.dwSignature == 0xFEEF04BD) {
            return std::to_wstring(HIWORD(info.dwFileVersionMS)) + L"." +
                   std::to_wstring(LOWORD(info.dwFileVersionMS)) + L"." +
                   std::to_wstring(HIWORD(info.dwFileVersionLS)) + L"." +
                   std::to_wstring(LOWORD(info.dwFileVersionLS));
        }
    }
    return L"?";
}

std::wstring MachineName()
{
    wchar_t szName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(szName, &n) ? std::wstring(szName, n) : std::wstring(L"?");
}

std::wstring TimeText(const SYSTEMTIME& st)
{
    wchar_t szText[32] = {};
    std::swprintf(szText, std::size(szText), L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return szText;
}

std::wstring NowText()
{
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return TimeText(st);
}

// Whether a folder exists as a folder of its own, not as a link to another.
bool IsPlainFolder(const std::wstring& strFolder)
{
    const DWORD dwAttributes = ::GetFileAttributesW(strFolder.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Makes a new log file: CREATE_NEW fails on anything already there, a
// link included, so the program (which runs elevated) never writes through
// a link that others laid in a folder they can write. It may be moved while
// open.
HANDLE NewLogFile(const std::wstring& strPath)
{
    return ::CreateFileW(strPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool AlreadyThere(DWORD dwError) noexcept
{
    return dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS;
}

} // namespace

std::wstring DefaultLogFolder()
{
    std::wstring folder = KnownFolderPath(FOLDERID_ProgramData);
    if (folder.empty())
        folder = L"C:\\ProgramData";
    if (folder.back() == L'\\')
        folder.pop_back();
    return folder + L"\\Tovrin Quillset\\logs";
}

std::wstring LogFileName(const SYSTEMTIME& st)
{
    wchar_t szName[32] = {};
    std::swprintf(szName, std::size(szName), L"%04u%02u%02u-%02u%02u%02u.log", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return szName;
}

bool CreateFolderPath(const std::wstring& strFolder)
{
    std::wstring folder = FullPathOrAsGiven(strFolder);
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    if (IsPlainFolder(folder))
        return true;
    const size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < 2)
        return false;
    // The parent; a drive's root keeps its backslash.
    const std::wstring parent = folder.substr(0, slash == 2 && folder[1] == L':' ? 3 : slash);
    if (parent == folder || !CreateFolderPath(parent))
        return false;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return IsPlainFolder(folder);
}

std::wstring LogItemLine(const LogItem& item)
{
    static const wchar_t* const s_outcomes[] = {L"成功", L"需要重新启动", L"失败", L"未运行"};
    std::wstring line = s_outcomes[static_cast<int>(item.outcome)];
    line += L" | " + item.strName + L" | " + item.strWork + L" | ";
    const std::wstring drive = item.strDrive.empty() ? std::wstring() : L" | 来自 " + item.strDrive;
    if (item.outcome == ItemOutcome::NotRun)
        return line + (item.bAfterRestart ? L"前面的安装程序已开始重新启动计算机" : L"批处理已按用户要求停止") + drive;
    if (item.bExitCode) {
        line += L"退出代码 " + std::to_wstring(static_cast<long>(item.dwCode));
    } else if (item.dwCode == 0) {
        line += item.bCopy ? L"已复制" : L"没有启动进程";
    } else {
        line += ItemErrorText(item.dwCode);
    }
    if (item.nAttempts > 1)
        line += L" (尝试 " + std::to_wstring(item.nAttempts) + L" 次)";
    wchar_t szSeconds[32] = {};
    std::swprintf(szSeconds, std::size(szSeconds), L" | %.1f 秒", static_cast<double>(item.nMilliseconds) / 1000.0);
    return line + szSeconds + drive;
}

CBatchLog::CBatchLog(const BatchOptions& options, int nMode, const std::wstring& strSavePath)
{
    Open(options.strLogFile);
    std::wstring head = L"Tovrin Quillset " + ProgramVersion() + L"\r\n";
    head += nMode != kInstallBatch ? L"批处理: 保存安装包, 保存路径: " + strSavePath + L"\r\n" : L"批处理: 软件安装\r\n";
    head += L"目录文件: " + options.strCatalogue + L"\r\n";
    head += L"计算机: " + MachineName() + L"\r\n";
    head += L"开始时间: " + NowText() + L"\r\n";
    for (const std::wstring& note : options.arrLogNotes)
        head += note + L"\r\n";
    Write(head);
}

void CBatchLog::Open(const std::wstring& strLogFile)
{
    if (!strLogFile.empty()) {
        // The file asked for holds this batch. It is made new beside its
        // place and moved there, so whatever stood there, a link included,
        // is replaced and never written through.
        m_strPath = FullPathOrAsGiven(strLogFile);
        const size_t slash = m_strPath.find_last_of(L'\\');
        if (slash != std::wstring::npos && slash > 2)
            CreateFolderPath(m_strPath.substr(0, slash));
        for (int n = 1; n < 100 && !m_hFile; ++n) {
            const std::wstring temporary =
                m_strPath + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(n) + L".new";
            m_hFile.Reset(NewLogFile(temporary));
            if (!m_hFile && AlreadyThere(::GetLastError()))
                continue;
            if (!m_hFile)
                break;
            if (!::MoveFileExW(temporary.c_str(), m_strPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
                const DWORD dwError = ::GetLastError();
                m_hFile.Reset();
                ::DeleteFileW(temporary.c_str());
                ::SetLastError(dwError);
                break;
            }
        }
    } else {
        SYSTEMTIME st{};
        ::GetLocalTime(&st);
        const std::wstring folder = DefaultLogFolder();
        const std::wstring name = LogFileName(st);
        m_strPath = folder + L"\\" + name;
        // Both folders below %ProgramData%, where every user may lay a
        // link, are made here or must be folders of their own.
        const std::wstring product = folder.substr(0, folder.find_last_of(L'\\'));
        ::CreateDirectoryW(product.c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        if (!IsPlainFolder(product) || !IsPlainFolder(folder)) {
            m_dwError = ERROR_CANT_ACCESS_FILE;
            return;
        }
        // Two batches in one second: the later one gets "-2", "-3", ...
        for (int n = 1; n < 100 && !m_hFile; ++n) {
            const std::wstring path = n == 1 ? m_strPath
                                             : folder + L"\\" + name.substr(0, name.size() - 4) + L"-" +
                                                   std::to_wstring(n) + L".log";
            m_hFile.Reset(NewLogFile(path));
            if (m_hFile)
                m_strPath = path;
            else if (!AlreadyThere(::GetLastError()))
                break;
        }
    }
    m_dwError = m_hFile ? 0 : ::GetLastError() ? ::GetLastError() : ERROR_CANNOT_MAKE;
    // A byte-order mark, so that every editor reads the Chinese text as UTF-8.
    Write(L"\xFEFF");
}

void CBatchLog::Write(const std::wstring& text)
{
    if (!m_hFile)
        return;
    const std::string utf8 = platform_text::ToUtf8(text);
    DWORD dwWritten = 0;
    if (!::WriteFile(m_hFile.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &dwWritten, nullptr) ||
        dwWritten != utf8.size()) {
        m_dwError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        m_hFile.Reset();
    }
}

void CBatchLog::Item(const LogItem& item)
{
    ++m_nCounts[static_cast<int>(item.outcome)];
    Write(LogItemLine(item) + L"\r\n");
}

void CBatchLog::Finish(BatchSummary& summary)
{
    const size_t nItems = m_nCounts[0] + m_nCounts[1] + m_nCounts[2] + m_nCounts[3];
    Write(L"结束时间: " + NowText() + L"\r\n结果: 共 " + std::to_wstring(nItems) + L" 项, 成功 " +
          std::to_wstring(m_nCounts[0]) + L" 项, 需要重新启动 " + std::to_wstring(m_nCounts[1]) + L" 项, 失败 " +
          std::to_wstring(m_nCounts[2]) + L" 项" +
          (m_nCounts[3] ? L", 未运行 " + std::to_wstring(m_nCounts[3]) +
                              (summary.strRestartStarted.empty() ? L" 项 (已停止)" : L" 项 (已开始重新启动)")
                        : std::wstring()) +
          L"\r\n");
    m_hFile.Reset();
    summary.strLogFile = m_strPath;
    summary.dwLogError = m_dwError;
}
