#include "batch/batch_log.h"

#include "batch/batch_texts.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "shell/path_resolution.h"
#include "shell/resolved_item.h"

#include <sddl.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <initializer_list>
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

bool AlreadyThere(DWORD dwError) noexcept
{
    return dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS;
}

// What a log file's handle may do: add to the file. Readers may look in.
constexpr DWORD kLogAccess = FILE_APPEND_DATA | SYNCHRONIZE;

// The head every log starts with: the program, then lines of its own.
std::wstring LogHead(const std::wstring& lines)
{
    return L"Tovrin Quillset " + ProgramVersion() + L"\r\n" + lines + L"计算机: " +
           EscapedLogField(MachineName()) + L"\r\n";
}

bool WriteText(HANDLE hFile, const std::wstring& text)
{
    const std::string utf8 = platform_text::ToUtf8(text);
    DWORD dwWritten = 0;
    return ::WriteFile(hFile, utf8.data(), static_cast<DWORD>(utf8.size()), &dwWritten, nullptr) &&
           dwWritten == utf8.size();
}

} // namespace

std::wstring MachineLogFolder(bool bAdministrator)
{
    std::wstring folder;
    if (bAdministrator) {
        folder = KnownFolderPath(FOLDERID_Windows);
        if (folder.empty())
            folder = L"C:\\Windows";
    } else {
        folder = KnownFolderPath(FOLDERID_LocalAppData);
    }
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder + (bAdministrator ? L"\\Logs\\Tovrin Quillset" : L"\\Tovrin Quillset\\logs");
}

bool RunsWithAdministratorRights()
{
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD cbSid = sizeof(sid);
    BOOL bMember = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &cbSid) &&
           ::CheckTokenMembership(nullptr, sid, &bMember) && bMember;
}

std::wstring DefaultLogFolder()
{
    return MachineLogFolder(RunsWithAdministratorRights());
}

bool HoldMachineLogFolder(bool bAdministrator, CHeldFolder& folder)
{
    if (!bAdministrator)
        return folder.Hold(MachineLogFolder(false), true);
    // Made with the access list it keeps: SYSTEM and Administrators may do
    // everything, Users may read; nothing is taken from the folder above.
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)", SDDL_REVISION_1, &pDescriptor, nullptr))
        return false;
    const CLocalMemory descriptor(pDescriptor);
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    PACL pDacl = nullptr;
    if (!::GetSecurityDescriptorDacl(pDescriptor, &bPresent, &pDacl, &bDefaulted) || !bPresent)
        return false;
    return folder.Hold(MachineLogFolder(true), true, pDacl);
}

std::wstring LogFileName(const SYSTEMTIME& st)
{
    wchar_t szName[32] = {};
    std::swprintf(szName, std::size(szName), L"%04u%02u%02u-%02u%02u%02u.log", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return szName;
}

std::wstring EscapedLogField(const std::wstring& text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        const bool bEscape = c == L'%' || c == L'|' || c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 ||
                             c == 0x2029;
        if (!bEscape) {
            escaped += c;
            continue;
        }
        wchar_t szCode[8] = {};
        std::swprintf(szCode, std::size(szCode), c > 0xFF ? L"%%u%04X" : L"%%%02X", static_cast<unsigned>(c));
        escaped += szCode;
    }
    return escaped;
}

namespace {

const wchar_t* const kOutcomeWords[] = {L"成功", L"需要重新启动", L"失败", L"未运行"};

// A log field as written, decoded: %XX and %uXXXX back to their characters.
std::wstring DecodedLogField(const std::wstring& field)
{
    std::wstring text;
    for (size_t i = 0; i < field.size(); ++i) {
        const size_t nDigits = field[i] != L'%' ? 0 : i + 1 < field.size() && field[i + 1] == L'u' ? 4 : 2;
        const size_t nFrom = i + 1 + (nDigits == 4 ? 1 : 0);
        if (nDigits && nFrom + nDigits <= field.size()) {
            const std::wstring digits = field.substr(nFrom, nDigits);
            if (digits.find_first_not_of(L"0123456789ABCDEFabcdef") == std::wstring::npos) {
                text += static_cast<wchar_t>(std::wcstoul(digits.c_str(), nullptr, 16));
                i = nFrom + nDigits - 1;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

std::wstring ItemNote(const LogItem& item)
{
    if (item.outcome == ItemOutcome::NotRun)
        return item.bAfterRestart ? L"前面的安装程序已开始重新启动计算机" : L"批处理已按用户要求停止";
    std::wstring note;
    if (item.end != InstallerEnd::kByItself)
        note = EndedText(item);
    else if (item.bExitCode)
        note = L"退出代码 " + std::to_wstring(static_cast<long>(item.dwCode));
    else if (item.dwCode == 0)
        note = item.bCopy ? L"已复制" : L"没有启动进程";
    else
        note = ItemErrorText(item.dwCode);
    if (item.nAttempts > 1)
        note += L" (尝试 " + std::to_wstring(item.nAttempts) + L" 次)";
    return note;
}

ULONGLONG TimeValue(const FILETIME& ft) noexcept
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The whole of a small file, as UTF-8 text; false when it cannot be read.
bool ReadSmallFile(HANDLE hFile, std::string& bytes)
{
    LARGE_INTEGER size{};
    const LONGLONG kMaxBytes = 64LL * 1024 * 1024;
    if (!::GetFileSizeEx(hFile, &size) || size.QuadPart > kMaxBytes)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD dwRead = 0;
    return bytes.empty() ||
           (::ReadFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwRead, nullptr) &&
            dwRead == bytes.size());
}

} // namespace

LoggedItem LoggedItemOf(const LogItem& item)
{
    return LoggedItem{item.outcome, item.strName, item.strLine, ItemNote(item)};
}

std::wstring LogExtraLine(const LogExtra& extra)
{
    const wchar_t* const kWords[] = {L"已复制", L"已在文件夹中", L"没有复制", L"失败"};
    std::wstring line = std::wstring(L"附加文件: ") + kWords[static_cast<int>(extra.outcome)];
    for (const std::wstring* pField : {&extra.strKind, &extra.strOwner, &extra.strSource, &extra.strTarget,
                                       &extra.strNote})
        line += L" | " + EscapedLogField(*pField);
    return line;
}

std::wstring LogItemLine(const LogItem& item)
{
    std::wstring seconds;
    if (item.outcome != ItemOutcome::NotRun) {
        wchar_t szSeconds[32] = {};
        std::swprintf(szSeconds, std::size(szSeconds), L"%.1f 秒", static_cast<double>(item.nMilliseconds) / 1000.0);
        seconds = szSeconds;
    }
    const std::wstring note = ItemNote(item);
    const std::wstring* const fields[] = {&item.strName,       &item.strLine,   &item.strFile,
                                          &item.strDrive,      &item.strParameters, &item.strTarget,
                                          &note,               &seconds};
    std::wstring line = kOutcomeWords[static_cast<int>(item.outcome)];
    for (const std::wstring* pField : fields)
        line += L" | " + EscapedLogField(*pField);
    return line;
}

std::vector<LoggedItem> ReadLoggedItems(const std::wstring& text)
{
    std::vector<LoggedItem> items;
    size_t nStart = 0;
    while (nStart < text.size()) {
        size_t nEnd = text.find(L'\n', nStart);
        if (nEnd == std::wstring::npos)
            nEnd = text.size();
        std::wstring line = text.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        std::vector<std::wstring> fields;
        for (size_t at = 0;;) {
            const size_t bar = line.find(L'|', at);
            std::wstring field = line.substr(at, bar == std::wstring::npos ? std::wstring::npos : bar - at);
            if (!fields.empty() && !field.empty() && field.front() == L' ')
                field.erase(0, 1);
            if (bar != std::wstring::npos && !field.empty() && field.back() == L' ')
                field.pop_back();
            fields.push_back(DecodedLogField(field));
            if (bar == std::wstring::npos)
                break;
            at = bar + 1;
        }
        if (fields.size() != 9)
            continue;
        for (int n = 0; n < 4; ++n) {
            if (fields[0] == kOutcomeWords[n]) {
                items.push_back(LoggedItem{static_cast<ItemOutcome>(n), fields[1], fields[2], fields[7]});
                break;
            }
        }
    }
    return items;
}

FILETIME BootTime() noexcept
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG nBoot = TimeValue(now) - ::GetTickCount64() * 10000ULL;
    return FILETIME{static_cast<DWORD>(nBoot), static_cast<DWORD>(nBoot >> 32)};
}

std::vector<LoggedItem> ResultsAwaitingRestart(bool bAdministrator, const FILETIME& bootTime)
{
    CHeldFolder folder;
    if (!folder.Hold(MachineLogFolder(bAdministrator), false))
        return {};
    const std::wstring notePath = folder.Path() + L"\\" + kRestartNoteName;
    const CFileHandle note(::CreateFileW(notePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME written{};
    std::string bytes;
    // A note written since the machine started is for the next start.
    if (!note || !::GetFileTime(note.Get(), nullptr, nullptr, &written) ||
        TimeValue(written) >= TimeValue(bootTime) || !ReadSmallFile(note.Get(), bytes) || bytes.empty())
        return {};
    const std::wstring logPath = platform_text::FromUtf8(bytes);
    const CFileHandle log(::CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!log || !ReadSmallFile(log.Get(), bytes))
        return {};
    return ReadLoggedItems(platform_text::FromUtf8(bytes));
}

CFileHandle OpenLogFile(const std::wstring& strLogFile, CHeldFolder& folder, std::wstring& strPath, DWORD& dwError)
{
    CFileHandle file;
    if (!strLogFile.empty()) {
        // The file asked for holds this log. It is made new in its folder
        // and moved onto its name.
        strPath = FullPathOrAsGiven(strLogFile);
        const size_t slash = strPath.find_last_of(L'\\');
        if (slash != std::wstring::npos && slash + 1 < strPath.size() &&
            folder.Hold(strPath.substr(0, slash), true)) {
            const std::wstring name = strPath.substr(slash + 1);
            for (int n = 1; n < 100 && !file; ++n) {
                file = folder.CreateNew(name + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                            std::to_wstring(n) + L".new",
                                        kLogAccess);
                if (!file && !AlreadyThere(::GetLastError()))
                    break;
            }
            if (file && !folder.MoveOnto(file.Get(), name, true)) {
                const DWORD dwMoveError = ::GetLastError();
                FILE_DISPOSITION_INFO info{};
                info.DeleteFile = TRUE;
                ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &info, sizeof(info));
                file.Reset();
                ::SetLastError(dwMoveError);
            }
        }
    } else {
        SYSTEMTIME st{};
        ::GetLocalTime(&st);
        const std::wstring name = LogFileName(st);
        const bool bAdministrator = RunsWithAdministratorRights();
        strPath = MachineLogFolder(bAdministrator) + L"\\" + name;
        if (HoldMachineLogFolder(bAdministrator, folder)) {
            // Two logs in one second: the later one gets "-2", "-3", ...
            for (int n = 1; n < 100 && !file; ++n) {
                const std::wstring numbered =
                    n == 1 ? name : name.substr(0, name.size() - 4) + L"-" + std::to_wstring(n) + L".log";
                file = folder.CreateNew(numbered, kLogAccess);
                if (file)
                    strPath = folder.Path() + L"\\" + numbered;
                else if (!AlreadyThere(::GetLastError()))
                    break;
            }
        }
    }
    dwError = file ? 0 : ::GetLastError() ? ::GetLastError() : ERROR_CANNOT_MAKE;
    // A byte-order mark, so that every editor reads the Chinese text as UTF-8.
    if (file && !WriteText(file.Get(), L"\xFEFF")) {
        dwError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        file.Reset();
    }
    return file;
}

void LogRefusedCommandLine(const std::wstring& strLogFile, const std::wstring& strReason, BatchSummary& summary)
{
    CHeldFolder folder;
    const CFileHandle file = OpenLogFile(strLogFile, folder, summary.strLogFile, summary.dwLogError);
    if (file && !WriteText(file.Get(), LogHead(EscapedLogField(strReason) + L"\r\n") + L"时间: " + NowText() +
                                           L"\r\n结果: 什么也没有运行, 退出代码 87\r\n"))
        summary.dwLogError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
}

CBatchLog::CBatchLog(const BatchOptions& options, int nMode, const std::wstring& strSavePath)
{
    m_hFile = OpenLogFile(options.strLogFile, m_folder, m_strPath, m_dwError);
    std::wstring lines = nMode != kInstallBatch
                             ? L"批处理: 保存安装包, 保存路径: " + EscapedLogField(strSavePath) + L"\r\n"
                             : std::wstring(L"批处理: 软件安装\r\n");
    lines += L"目录文件: " + EscapedLogField(options.strCatalogue) + L"\r\n";
    lines = LogHead(lines) + L"开始时间: " + NowText() + L"\r\n";
    for (const std::wstring& note : options.arrLogNotes)
        lines += EscapedLogField(note) + L"\r\n";
    Write(lines + L"各项: 结果 | 名称 | 目录中的命令行 | 文件 | 光盘驱动器 | 参数 | 复制到 | 说明 | 用时\r\n");
}

void CBatchLog::Write(const std::wstring& text)
{
    if (m_hFile && !WriteText(m_hFile.Get(), text)) {
        m_dwError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        m_hFile.Reset();
    }
}

void CBatchLog::Item(const LogItem& item)
{
    ++m_nCounts[static_cast<int>(item.outcome)];
    m_items.push_back(LoggedItemOf(item));
    Write(LogItemLine(item) + L"\r\n");
}

void CBatchLog::Extra(const LogExtra& extra)
{
    ++m_nExtraCounts[static_cast<int>(extra.outcome)];
    Write(LogExtraLine(extra) + L"\r\n");
}

void CBatchLog::Note(const std::wstring& text)
{
    Write(EscapedLogField(text) + L"\r\n");
}

void CBatchLog::Finish(BatchSummary& summary)
{
    const size_t nItems = m_nCounts[0] + m_nCounts[1] + m_nCounts[2] + m_nCounts[3];
    const size_t nExtras = m_nExtraCounts[0] + m_nExtraCounts[1] + m_nExtraCounts[2] + m_nExtraCounts[3];
    if (nExtras > 0)
        Write(L"附加文件: 共 " + std::to_wstring(nExtras) + L" 个, 已复制 " + std::to_wstring(m_nExtraCounts[0]) +
              L" 个, 已在文件夹中 " + std::to_wstring(m_nExtraCounts[1]) + L" 个, 没有复制 " +
              std::to_wstring(m_nExtraCounts[2]) + L" 个, 失败 " + std::to_wstring(m_nExtraCounts[3]) + L" 个\r\n");
    Write(L"结束时间: " + NowText() + L"\r\n结果: 共 " + std::to_wstring(nItems) + L" 项, 成功 " +
          std::to_wstring(m_nCounts[0]) + L" 项, 需要重新启动 " + std::to_wstring(m_nCounts[1]) + L" 项, 失败 " +
          std::to_wstring(m_nCounts[2]) + L" 项" +
          (m_nCounts[3] ? L", 未运行 " + std::to_wstring(m_nCounts[3]) +
                              (summary.strRestartStarted.empty() ? L" 项 (已停止)" : L" 项 (已开始重新启动)")
                        : std::wstring()) +
          L"\r\n");
    m_hFile.Reset();
    m_folder.Release();
    summary.strLogFile = m_strPath;
    summary.dwLogError = m_dwError;
    summary.arrItems = std::move(m_items);
    // The next start after a restart this batch asked for shows its results.
    const bool bRestart = m_nCounts[static_cast<int>(ItemOutcome::RestartNeeded)] != 0 && m_dwError == 0;
    const bool bAdministrator = RunsWithAdministratorRights();
    CHeldFolder machineFolder;
    if (HoldMachineLogFolder(bAdministrator, machineFolder))
        machineFolder.WriteInto(bRestart ? platform_text::ToUtf8(m_strPath) : std::string(), kRestartNoteName, false);
}
