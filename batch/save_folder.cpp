#include "batch/save_folder.h"

#include "batch/save_plan.h"
#include "platform/text.h"
#include "shell/held_folder.h"

#include <cwchar>

namespace {

// A size in megabytes, one decimal: "12.5 MB".
std::wstring Megabytes(ULONGLONG nBytes)
{
    wchar_t szText[48] = {};
    std::swprintf(szText, std::size(szText), L"%.1f MB", static_cast<double>(nBytes) / (1024.0 * 1024.0));
    return szText;
}

SaveFolderCheck Refused(DWORD dwError, std::wstring strReason)
{
    return SaveFolderCheck{dwError, std::move(strReason)};
}

} // namespace

ULONGLONG BytesToSave(const std::vector<ResolvedItem>& items, const std::wstring& folder, const SaveDisc* pDisc)
{
    const DiscPlan plan = PlanSave(items, pDisc, folder);
    ULONGLONG nBytes = 0;
    for (size_t n = 0; n < plan.saves.size() && n < plan.files.size(); ++n) {
        if (plan.saves[n].step == SaveStep::kCopy)
            nBytes += plan.files[n].resolved.stamp.nSize;
    }
    return nBytes;
}

SaveFolderCheck CheckSaveFolder(const std::wstring& folder, bool bCreate, ULONGLONG nBytes)
{
    CHeldFolder held;
    if (!held.Hold(folder, bCreate)) {
        const DWORD dwError = held.Error();
        switch (dwError) {
        case kErrorStoppedOnLink:
            return Refused(dwError, L"它本身或它所在的文件夹是链接 (符号链接或交接点), 为安全起见不向其中保存");
        case ERROR_DIRECTORY:
            return Refused(dwError, L"这不是文件夹");
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
            return Refused(dwError, bCreate ? L"无法创建这个文件夹" : L"这个文件夹不存在");
        default:
            return Refused(dwError, L"无法打开这个文件夹 (" + platform_text::WindowsErrorText(dwError) + L")");
        }
    }
    if (!held.CanWrite()) {
        const DWORD dwError = ::GetLastError();
        return Refused(dwError, L"无法在其中写入文件 (" + platform_text::WindowsErrorText(dwError) + L")");
    }
    ULARGE_INTEGER available{};
    if (::GetDiskFreeSpaceExW((held.Path() + L"\\").c_str(), &available, nullptr, nullptr) &&
        available.QuadPart < nBytes)
        return Refused(ERROR_DISK_FULL, L"所在磁盘的空间不够: 要保存的安装包共 " + Megabytes(nBytes) +
                                            L", 可用空间只有 " + Megabytes(available.QuadPart));
    return {};
}
