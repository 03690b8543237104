#include "batch/batch_lock.h"

#include "batch/batch_log.h"
#include "platform/text.h"

#include <sddl.h>

namespace {

constexpr wchar_t kLockObject[] = L"Tovrin Quillset batch";

} // namespace

std::wstring BatchLockName(bool bAdministrator)
{
    return (bAdministrator ? L"Global\\" : L"Local\\") + std::wstring(kLockObject);
}

bool CBatchLock::Take()
{
    m_hLock.Reset();
    const bool bAdministrator = RunsWithAdministratorRights();
    if (!bAdministrator) {
        // An administrators' batch runs when its object is there: opening
        // it is denied, or (where access lists are not kept) succeeds.
        const CKernelHandle admins(::OpenMutexW(SYNCHRONIZE, FALSE, BatchLockName(true).c_str()));
        if (admins || ::GetLastError() == ERROR_ACCESS_DENIED) {
            m_dwError = ERROR_INSTALL_ALREADY_RUNNING;
            return false;
        }
    }
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (bAdministrator &&
        !::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;GA;;;SY)(A;;GA;;;BA)", SDDL_REVISION_1,
                                                                &pDescriptor, nullptr)) {
        m_dwError = ::GetLastError();
        return false;
    }
    const CLocalMemory descriptor(pDescriptor);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), pDescriptor, FALSE};
    // The object is the lock: whoever makes it holds it until its handle
    // goes (with the process, should it end without letting go).
    CKernelHandle hLock(
        ::CreateMutexW(pDescriptor ? &attributes : nullptr, FALSE, BatchLockName(bAdministrator).c_str()));
    const DWORD dwError = ::GetLastError();
    if (!hLock) {
        // Denied: another's object of that name; another kind of object
        // under the name stands for a batch as well.
        m_dwError = dwError == ERROR_ACCESS_DENIED || dwError == ERROR_INVALID_HANDLE ? ERROR_INSTALL_ALREADY_RUNNING
                                                                                       : dwError;
        return false;
    }
    if (dwError == ERROR_ALREADY_EXISTS) {
        m_dwError = ERROR_INSTALL_ALREADY_RUNNING;
        return false;
    }
    m_hLock = std::move(hLock);
    m_dwError = 0;
    return true;
}

std::wstring BatchLockRefusal(DWORD dwError)
{
    if (dwError == ERROR_INSTALL_ALREADY_RUNNING)
        return L"本机已有另一个安装或保存批处理在运行 (另一个 Quillset 窗口或命令行), 请等它结束后再试。";
    return L"无法确认本机没有其他批处理在运行 (" + platform_text::WindowsErrorText(dwError) + L"), 为安全起见没有开始。";
}
