#include "platform/thread.h"

namespace {

struct ThreadStart {
    ThreadProc proc;
    void* pParam;
};

DWORD WINAPI ThreadEntry(void* pStart)
{
    const ThreadStart start = *static_cast<ThreadStart*>(pStart);
    delete static_cast<ThreadStart*>(pStart);
    return start.proc(start.pParam);
}

} // namespace

CKernelHandle BeginThread(ThreadProc proc, void* pParam)
{
    auto* pStart = new ThreadStart{proc, pParam};
    HANDLE hThread = ::CreateThread(nullptr, 0, &ThreadEntry, pStart, 0, nullptr);
    if (!hThread)
        delete pStart;
    return CKernelHandle(hThread);
}
