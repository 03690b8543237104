#include "scan/product_info.h"

#include "catalogue/catalogue.h"
#include "platform/handles.h"
#include "platform/system_library.h"
#include "platform/text.h"
#include "shell/pe_image.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace platform_text;

namespace {

constexpr uint16_t kVersionType = 16;
// Bounds on the copy that reads a package: its answer, three lines of at
// most kMaxAnswerField characters, fits in the pipe.
constexpr size_t kMaxAnswerField = 1000;
constexpr DWORD kPipeBytes = 64 * 1024;
constexpr DWORD kAnswerTimeoutMs = 30000;

// One block of a version resource: length, value length, type, key, then
// the value and the child blocks, each on a 4-byte boundary.
struct VersionBlock {
    std::wstring key;
    size_t valueOffset = 0;
    size_t valueBytes = 0;
    size_t childrenOffset = 0;
    size_t end = 0;
};

size_t Aligned(size_t offset)
{
    return (offset + 3) & ~size_t{3};
}

// The block at offset, which must lie wholly before limit.
bool ReadBlock(const std::string& bytes, size_t offset, size_t limit, VersionBlock& block)
{
    const size_t length = Le16(bytes, offset);
    if (length < 6 || offset + length > limit)
        return false;
    block.end = offset + length;
    block.key.clear();
    size_t at = offset + 6;
    for (; at + 2 <= block.end && Le16(bytes, at) != 0; at += 2)
        block.key += static_cast<wchar_t>(Le16(bytes, at));
    if (at + 2 > block.end)
        return false;
    const size_t valueLength = Le16(bytes, offset + 2);
    block.valueOffset = std::min(Aligned(at + 2), block.end);
    // Text values count characters, binary ones bytes.
    block.valueBytes = std::min(Le16(bytes, offset + 4) == 1 ? valueLength * 2 : valueLength,
                                block.end - block.valueOffset);
    block.childrenOffset = std::min(Aligned(block.valueOffset + block.valueBytes), block.end);
    return true;
}

// Calls visit for each child block of parent, in order.
template <typename Visit>
void ForEachChild(const std::string& bytes, const VersionBlock& parent, Visit visit)
{
    VersionBlock child;
    for (size_t at = parent.childrenOffset; at < parent.end && ReadBlock(bytes, at, parent.end, child);
         at = Aligned(child.end))
        visit(child);
}

// A string's text runs to its terminating NUL within the block, whatever
// its value length says: some compilers count bytes, some characters, and
// some mark text as binary (type 0).
std::wstring TextValue(const std::string& bytes, const VersionBlock& block)
{
    std::wstring text;
    for (size_t at = block.valueOffset; at + 2 <= block.end && Le16(bytes, at) != 0; at += 2)
        text += static_cast<wchar_t>(Le16(bytes, at));
    return TrimSpace(text);
}

// A version that says nothing: blank, or made of zeros ("0.0.0.0", "0, 0").
bool SaysNoVersion(const std::wstring& version)
{
    return version.find_first_not_of(L"0., ") == std::wstring::npos;
}

// The installer library, loaded from the system folder when a package is
// read (never by import, so no msi.dll beside the program can load), and
// the entry points used of it; Ok() when it and every one were found.
class CMsiApi {
public:
    CMsiApi() : m_library(L"msi.dll")
    {
        m_bOk = m_library.Bind(CloseHandle, "MsiCloseHandle") && m_library.Bind(CreateRecord, "MsiCreateRecord") &&
                m_library.Bind(DatabaseOpenView, "MsiDatabaseOpenViewW") &&
                m_library.Bind(RecordSetString, "MsiRecordSetStringW") &&
                m_library.Bind(ViewExecute, "MsiViewExecute") && m_library.Bind(ViewFetch, "MsiViewFetch") &&
                m_library.Bind(RecordGetString, "MsiRecordGetStringW") &&
                m_library.Bind(SummaryInfoGetProperty, "MsiSummaryInfoGetPropertyW") &&
                m_library.Bind(OpenDatabase, "MsiOpenDatabaseW") &&
                m_library.Bind(GetSummaryInformation, "MsiGetSummaryInformationW");
    }
    bool Ok() const noexcept { return m_bOk; }

    decltype(&::MsiCloseHandle) CloseHandle = nullptr;
    decltype(&::MsiCreateRecord) CreateRecord = nullptr;
    decltype(&::MsiDatabaseOpenViewW) DatabaseOpenView = nullptr;
    decltype(&::MsiRecordSetStringW) RecordSetString = nullptr;
    decltype(&::MsiViewExecute) ViewExecute = nullptr;
    decltype(&::MsiViewFetch) ViewFetch = nullptr;
    decltype(&::MsiRecordGetStringW) RecordGetString = nullptr;
    decltype(&::MsiSummaryInfoGetPropertyW) SummaryInfoGetProperty = nullptr;
    decltype(&::MsiOpenDatabaseW) OpenDatabase = nullptr;
    decltype(&::MsiGetSummaryInformationW) GetSummaryInformation = nullptr;

private:
    CSystemLibrary m_library;
    bool m_bOk = false;
};

// One owner for each handle the installer library gives out.
class CMsiHandle {
public:
    explicit CMsiHandle(const CMsiApi& msi) : m_msi(msi) {}
    CMsiHandle(const CMsiHandle&) = delete;
    CMsiHandle& operator=(const CMsiHandle&) = delete;
    ~CMsiHandle()
    {
        if (m_h)
            m_msi.CloseHandle(m_h);
    }
    MSIHANDLE* Out() noexcept { return &m_h; }
    MSIHANDLE Get() const noexcept { return m_h; }

private:
    const CMsiApi& m_msi;
    MSIHANDLE m_h = 0;
};

std::wstring PackageProperty(const CMsiApi& msi, MSIHANDLE database, const wchar_t* name)
{
    CMsiHandle view(msi);
    CMsiHandle query(msi);
    CMsiHandle record(msi);
    *query.Out() = msi.CreateRecord(1);
    if (msi.DatabaseOpenView(database, L"SELECT `Value` FROM `Property` WHERE `Property` = ?", view.Out()) !=
            ERROR_SUCCESS ||
        msi.RecordSetString(query.Get(), 1, name) != ERROR_SUCCESS ||
        msi.ViewExecute(view.Get(), query.Get()) != ERROR_SUCCESS ||
        msi.ViewFetch(view.Get(), record.Out()) != ERROR_SUCCESS)
        return {};
    DWORD length = 0;
    wchar_t none[1] = {};
    msi.RecordGetString(record.Get(), 1, none, &length);
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (msi.RecordGetString(record.Get(), 1, value.data(), &length) != ERROR_SUCCESS)
        return {};
    value.resize(length);
    return TrimSpace(value);
}

std::wstring SummaryText(const CMsiApi& msi, MSIHANDLE summary, UINT property)
{
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    DWORD length = 0;
    wchar_t none[1] = {};
    if (msi.SummaryInfoGetProperty(summary, property, &type, &number, &time, none, &length) != ERROR_MORE_DATA)
        return {};
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    if (msi.SummaryInfoGetProperty(summary, property, &type, &number, &time, value.data(), &length) !=
        ERROR_SUCCESS)
        return {};
    value.resize(length);
    return TrimSpace(value);
}

} // namespace

ProductInfo ReadProgramInfo(const std::wstring& path)
{
    ProductInfo info;
    CFileBytes file;
    DWORD error = 0;
    PeImage image;
    std::string bytes;
    VersionBlock root;
    if (!file.Open(path, &error) || ReadPeImage(file, image) != PeOutcome::Program ||
        !CPeResources(file, image).Find(kVersionType, 0, bytes) || !ReadBlock(bytes, 0, bytes.size(), root))
        return info;
    std::wstring fileVersion;
    std::wstring productVersion;
    // The first string table that names anything.
    ForEachChild(bytes, root, [&](const VersionBlock& group) {
        if (group.key != L"StringFileInfo")
            return;
        ForEachChild(bytes, group, [&](const VersionBlock& table) {
            if (!info.name.empty() || !info.description.empty() || !fileVersion.empty() || !productVersion.empty())
                return;
            ForEachChild(bytes, table, [&](const VersionBlock& string) {
                if (string.key == L"ProductName")
                    info.name = TextValue(bytes, string);
                else if (string.key == L"FileDescription")
                    info.description = TextValue(bytes, string);
                else if (string.key == L"FileVersion")
                    fileVersion = TextValue(bytes, string);
                else if (string.key == L"ProductVersion")
                    productVersion = TextValue(bytes, string);
            });
        });
    });
    // Some installers (Inno Setup's among them) leave the file version blank
    // and carry the product's version alone.
    if (!SaysNoVersion(fileVersion))
        info.version = fileVersion;
    else if (!SaysNoVersion(productVersion))
        info.version = productVersion;
    info.installedName = info.name;
    info.productVersion = SaysNoVersion(productVersion) ? info.version : productVersion;
    if (info.name.empty())
        info.name = info.description;
    return info;
}

int PrintPackageInfo(const std::wstring& path)
{
    // A failure inside the installer library ends this copy quietly; the
    // scanning copy reports the package as damaged.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const CMsiApi msi;
    if (!msi.Ok())
        return 1;
    CMsiHandle database(msi);
    if (msi.OpenDatabase(path.c_str(), MSIDBOPEN_READONLY, database.Out()) != ERROR_SUCCESS)
        return 1;
    ProductInfo info;
    info.name = PackageProperty(msi, database.Get(), L"ProductName");
    info.version = PackageProperty(msi, database.Get(), L"ProductVersion");
    if (SaysNoVersion(info.version))
        info.version.clear();
    info.productCode = PackageProperty(msi, database.Get(), L"ProductCode");
    CMsiHandle summary(msi);
    if (msi.GetSummaryInformation(database.Get(), nullptr, 0, summary.Out()) == ERROR_SUCCESS) {
        constexpr UINT kSubject = 3;
        constexpr UINT kComments = 6;
        info.description = SummaryText(msi, summary.Get(), kComments);
        if (info.description.empty())
            info.description = SummaryText(msi, summary.Get(), kSubject);
    }
    std::wstring text;
    for (std::wstring field : {info.name, info.version, info.description, info.productCode}) {
        std::replace_if(field.begin(), field.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
        field.resize(std::min(field.size(), kMaxAnswerField));
        text += field + L"\n";
    }
    const std::string bytes = ToUtf8(text);
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
    if (exitCode != 0 || lines.size() != 4)
        return false;
    info.name = lines[0];
    info.version = lines[1];
    info.description = lines[2];
    info.productVersion = lines[1];
    info.productCode = lines[3];
    return true;
}
