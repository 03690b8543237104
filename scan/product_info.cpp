#include "scan/product_info.h"

#include "catalogue/catalogue.h"
#include "platform/handles.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

// Version resources larger than this are not read.
constexpr DWORD kMaxVersionBytes = 1024 * 1024;
// Bounds on the copy that reads a package: its answer, three lines of at
// most kMaxAnswerField characters, fits in the pipe.
constexpr size_t kMaxAnswerField = 1000;
constexpr DWORD kPipeBytes = 64 * 1024;
constexpr DWORD kAnswerTimeoutMs = 30000;

std::string Utf8(const std::wstring& text)
{
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::wstring Trimmed(std::wstring text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& table, const wchar_t* key)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\" + table + L"\\" + key;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0)
        return {};
    const auto* text = static_cast<const wchar_t*>(value);
    std::wstring result(text, length);
    result.resize(result.find(L'\0') == std::wstring::npos ? result.size() : result.find(L'\0'));
    return Trimmed(result);
}

// One owner for each handle the installer library gives out.
class CMsiHandle {
public:
    CMsiHandle() = default;
    CMsiHandle(const CMsiHandle&) = delete;
    CMsiHandle& operator=(const CMsiHandle&) = delete;
    ~CMsiHandle()
    {
        if (m_h)
            ::MsiCloseHandle(m_h);
    }
    MSIHANDLE* Out() noexcept { return &m_h; }
    MSIHANDLE Get() const noexcept { return m_h; }

private:
    MSIHANDLE m_h = 0;
};

std::wstring PackageProperty(MSIHANDLE database, const wchar_t* name)
{
    CMsiHandle view;
    CMsiHandle query;
    CMsiHandle record;
    *query.Out() = ::MsiCreateRecord(1);
    if (::MsiDatabaseOpenViewW(database, L"SELECT `Value` FROM `Property` WHERE `Property` = ?", view.Out()) !=
            ERROR_SUCCESS ||
        ::MsiRecordSetStringW(query.Get(), 1, name) != ERROR_SUCCESS ||
        ::MsiViewExecute(view.Get(), query.Get()) != ERROR_SUCCESS ||
        ::MsiViewFetch(view.Get(), record.Out()) != ERROR_SUCCESS)
        return {};
    DWORD length = 0;
    wchar_t none[1] = {};
    ::MsiRecordGetStringW(record.Get(), 1, none, &length);
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (::MsiRecordGetStringW(record.Get(), 1, value.data(), &length) != ERROR_SUCCESS)
        return {};
    value.resize(length);
    return Trimmed(value);
}

std::wstring SummaryText(MSIHANDLE summary, UINT property)
{
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    DWORD length = 0;
    wchar_t none[1] = {};
    if (::MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, none, &length) != ERROR_MORE_DATA)
        return {};
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (::MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, value.data(), &length) !=
        ERROR_SUCCESS)
        return {};
    value.resize(length);
    return Trimmed(value);
}

} // namespace

ProductInfo ReadProgramInfo(const std::wstring& path)
{
    ProductInfo info;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0 || size > kMaxVersionBytes)
        return info;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return info;
    // The first language the resource lists, then the usual two.
    std::vector<std::wstring> tables;
    void* value = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && value && length >= 4) {
        const auto* pair = static_cast<const WORD*>(value);
        wchar_t table[9];
        std::swprintf(table, 9, L"%04x%04x", pair[0], pair[1]);
        tables.emplace_back(table);
    }
    tables.emplace_back(L"080404b0");
    tables.emplace_back(L"040904b0");
    for (const std::wstring& table : tables) {
        info.name = VersionString(block, table, L"ProductName");
        info.description = VersionString(block, table, L"FileDescription");
        info.version = VersionString(block, table, L"FileVersion");
        if (!info.name.empty() || !info.description.empty() || !info.version.empty())
            break;
    }
    if (info.name.empty())
        info.name = info.description;
    return info;
}

int PrintPackageInfo(const std::wstring& path)
{
    // A failure inside the installer library ends this copy quietly; the
    // scanning copy reports the package as damaged.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CMsiHandle database;
    if (::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, database.Out()) != ERROR_SUCCESS)
        return 1;
    ProductInfo info;
    info.name = PackageProperty(database.Get(), L"ProductName");
    info.version = PackageProperty(database.Get(), L"ProductVersion");
    CMsiHandle summary;
    if (::MsiGetSummaryInformationW(database.Get(), nullptr, 0, summary.Out()) == ERROR_SUCCESS) {
        constexpr UINT kSubject = 3;
        constexpr UINT kComments = 6;
        info.description = SummaryText(summary.Get(), kComments);
        if (info.description.empty())
            info.description = SummaryText(summary.Get(), kSubject);
    }
    std::wstring text;
    for (std::wstring field : {info.name, info.version, info.description}) {
        std::replace_if(field.begin(), field.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
        field.resize(std::min(field.size(), kMaxAnswerField));
        text += field + L"\n";
    }
    const std::string bytes = Utf8(text);
    DWORD written = 0;
    return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) && written == bytes.size()
               ? 0
               : 1;
}

bool ReadPackageInfo(const std::wstring& path, ProductInfo& info)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, kPipeBytes))
        return false;
    const CKernelHandle readEnd(read);
    CKernelHandle writeEnd(write);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = write;
    si.hStdError = write;
    std::wstring command = L"\"" + RunningExecutablePath() + L"\" " + kPackageInfoSwitch + L" \"" + path + L"\"";
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                          &pi))
        return false;
    const CKernelHandle process(pi.hProcess);
    const CKernelHandle thread(pi.hThread);
    writeEnd.Reset();
    // The answer fits in the pipe, so the copy never waits for it to be read:
    // it is read once the copy has ended.
    DWORD exitCode = 1;
    if (::WaitForSingleObject(pi.hProcess, kAnswerTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(pi.hProcess, 1);
        return false;
    }
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (bytes.size() < kPipeBytes && ::ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    std::vector<std::wstring> lines;
    const std::wstring text = FromUtf8(bytes);
    for (size_t start = 0, end = 0; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (exitCode != 0 || lines.size() != 3)
        return false;
    info.name = lines[0];
    info.version = lines[1];
    info.description = lines[2];
    return true;
}
