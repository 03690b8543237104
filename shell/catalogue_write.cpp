#include "shell/catalogue_write.h"

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_edit.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "shell/held_folder.h"

#include <windows.h>

namespace {

CatalogueWriteResult Refused(const std::wstring& reason)
{
    return CatalogueWriteResult{false, reason};
}

std::wstring ErrorReason(DWORD dwError)
{
    switch (dwError) {
    case kErrorStoppedOnLink:
        return L"目录文件所在的文件夹是 (或位于) 符号链接或连接点, 程序不通过链接写入";
    case ERROR_WRITE_PROTECT:
    case ERROR_ACCESS_DENIED:
        return L"目录文件所在的文件夹不能写入 (光盘、只读的文件夹或共享): " +
               platform_text::WindowsErrorText(dwError);
    default:
        return platform_text::WindowsErrorText(dwError);
    }
}

} // namespace

// The handle goes before the file is replaced (the system keeps an open
// file from being replaced).
CatalogueWriteResult ReadCatalogueBytes(const CHeldFolder& folder, const std::wstring& fileName, std::string& bytes)
{
    const CFileHandle file(::CreateFileW((folder.Path() + L"\\" + fileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.Get(), &info))
        return Refused(L"目录文件无法读取: " + platform_text::WindowsErrorText(::GetLastError()));
    // The folder's listing tells a link where the handle may not.
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        IsLinkAt(folder.Path() + L"\\" + fileName))
        return Refused(L"目录文件是符号链接或连接点, 程序不通过链接写入");
    if (info.nFileSizeHigh != 0 || info.nFileSizeLow > CIniProfile::kMaxFileBytes)
        return Refused(L"目录文件太大");
    bytes.assign(info.nFileSizeLow, '\0');
    DWORD nTotal = 0;
    while (nTotal < bytes.size()) {
        DWORD nRead = 0;
        if (!::ReadFile(file.Get(), bytes.data() + nTotal, static_cast<DWORD>(bytes.size()) - nTotal, &nRead, nullptr))
            return Refused(L"目录文件无法读取: " + platform_text::WindowsErrorText(::GetLastError()));
        if (nRead == 0)
            break;
        nTotal += nRead;
    }
    bytes.resize(nTotal);
    return {};
}

CatalogueWriteResult WriteSetIntoCatalogue(const std::wstring& cataloguePath, const std::wstring& name,
                                           const std::wstring& line)
{
    const size_t slash = cataloguePath.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == cataloguePath.size())
        return Refused(L"没有目录文件");
    const std::wstring fileName = cataloguePath.substr(slash + 1);
    CHeldFolder folder;
    if (!folder.Hold(cataloguePath.substr(0, slash), false))
        return Refused(ErrorReason(folder.Error()));
    std::string bytes;
    const CatalogueWriteResult read = ReadCatalogueBytes(folder, fileName, bytes);
    if (!read.strReason.empty())
        return read;
    const std::wstring text = WithProfileKey(DecodeProfileBytes(bytes), kSetsSection, name, line);
    bool bLossless = true;
    const std::string written = EncodedLike(text, bytes, bLossless);
    if (!bLossless)
        return Refused(L"目录文件的编码 (系统的 ANSI 代码页) 写不下选择集中的某些字符; 请把目录文件存为 UTF-16 或 UTF-8");
    if (!folder.WriteInto(written, fileName, false))
        return Refused(ErrorReason(::GetLastError()));
    return CatalogueWriteResult{true, {}};
}
