// Starting worker threads.
#pragma once

#include "platform/handles.h"

using ThreadProc = unsigned (*)(void* pParam);

// Starts proc(pParam) on a new thread with normal priority and the default
// stack size. The handle may be waited on; letting it go does not stop the
// thread. An empty handle means the thread could not be started.
CKernelHandle BeginThread(ThreadProc proc, void* pParam);
