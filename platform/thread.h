// Starting worker threads, and COM on a thread.
#pragma once

#include "platform/handles.h"

#include <objbase.h>

using ThreadProc = unsigned (*)(void* pParam);

// Starts proc(pParam) on a new thread with normal priority and the default
// stack size. The handle may be waited on; letting it go does not stop the
// thread. An empty handle means the thread could not be started.
CKernelHandle BeginThread(ThreadProc proc, void* pParam);

// COM initialised (apartment-threaded) on the calling thread for one scope,
// as the shell wants it on a thread that shows the folder browser or starts
// programs with ShellExecuteEx. Released at the end of the scope when it was
// taken here.
class CComApartment {
public:
    CComApartment() noexcept : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    HRESULT Result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};
