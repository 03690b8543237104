// The machine's batch lock as the system keeps it: the object that stands
// for a running batch, and who may open it.
#include "batch/batch_lock.h"
#include "batch/batch_log.h"

#include <aclapi.h>
#include <gtest/gtest.h>

namespace {

// Whether sid is one of the well-known kind.
bool IsSid(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    BYTE known[SECURITY_MAX_SID_SIZE] = {};
    DWORD cbKnown = sizeof(known);
    return ::CreateWellKnownSid(type, nullptr, known, &cbKnown) && ::EqualSid(sid, known);
}

TEST(BatchLock, OnlySystemAndAdministratorsMayOpenTheAdministratorsLock)
{
    if (!RunsWithAdministratorRights())
        GTEST_SKIP() << "the Global\\ lock is made by runs with administrator rights";
    CBatchLock lock;
    ASSERT_TRUE(lock.Take()) << lock.Error();
    const CKernelHandle opened(::OpenMutexW(READ_CONTROL, FALSE, BatchLockName(true).c_str()));
    ASSERT_TRUE(opened);
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(opened.Get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &pDacl,
                                nullptr, &pDescriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const CLocalMemory descriptor(pDescriptor);
    ASSERT_NE(pDacl, nullptr) << "no access list lets everyone in";
    ASSERT_GT(pDacl->AceCount, 0);
    for (WORD i = 0; i < pDacl->AceCount; ++i) {
        void* pAce = nullptr;
        ASSERT_TRUE(::GetAce(pDacl, i, &pAce));
        const auto* pHeader = static_cast<ACE_HEADER*>(pAce);
        if (pHeader->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(pAce)->SidStart;
        EXPECT_TRUE(IsSid(sid, WinLocalSystemSid) || IsSid(sid, WinBuiltinAdministratorsSid))
            << "access allowed to another than SYSTEM and Administrators";
    }
    // Held, the lock refuses a second batch.
    CBatchLock second;
    EXPECT_FALSE(second.Take());
    EXPECT_EQ(second.Error(), static_cast<DWORD>(ERROR_INSTALL_ALREADY_RUNNING));
}

} // namespace
