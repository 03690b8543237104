// A test program that dies on purpose, in the ways a test program can die,
// so that the test run shows each of them as a failure (its CTest entries
// expect it to fail). Its argument names the way:
//   exit   the process ends the way Xlib ends it on an X error: the C
//          library's exit straight to the system, which Wine never hears of
//   fault  a write through a null pointer, which Wine reports as unhandled
//   none   it ends normally (the entry that must pass)
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Calls the system's exit_group(1) directly, past Windows, as the C
// library's exit does at its end.
[[noreturn]] void EndPastWindows()
{
#ifdef _WIN64
    // mov eax, 231 (exit_group); mov edi, 1; syscall
    const unsigned char code[] = {0xB8, 0xE7, 0x00, 0x00, 0x00, 0xBF, 0x01, 0x00, 0x00, 0x00, 0x0F, 0x05};
#else
    // mov eax, 252 (exit_group); mov ebx, 1; int 0x80
    const unsigned char code[] = {0xB8, 0xFC, 0x00, 0x00, 0x00, 0xBB, 0x01, 0x00, 0x00, 0x00, 0xCD, 0x80};
#endif
    void* pCode = ::VirtualAlloc(nullptr, sizeof(code), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (pCode) {
        std::memcpy(pCode, code, sizeof(code));
        reinterpret_cast<void (*)()>(pCode)();
    }
    // No page to run it from: die another way rather than pass.
    ::TerminateProcess(::GetCurrentProcess(), 3);
    for (;;)
        ::Sleep(INFINITE);
}

} // namespace

int main(int argc, char** argv)
{
    const char* way = argc > 1 ? argv[1] : "";
    std::printf("[ RUN      ] dying by %s\n", way);
    std::fflush(stdout);
    if (std::strcmp(way, "exit") == 0)
        EndPastWindows();
    if (std::strcmp(way, "fault") == 0) {
        volatile int* pNowhere = nullptr;
        *pNowhere = 1;
    }
    return std::strcmp(way, "none") == 0 ? 0 : 2;
}
