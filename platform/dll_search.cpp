#include "platform/dll_search.h"

#include <windows.h>

#include <cstddef>

#if defined(__MINGW32__)
// The load configuration the system reads from the executable before any of
// its code runs; its dependent-load flags govern where the DLLs the program
// imports (and the DLLs those import) are looked for. The linker points the
// header's load configuration entry at the object of this name (at the
// assembly level "__load_config_used" on x86). Laid out here rather than
// taken from the headers, which name the flags field differently by
// version; the static checks hold the offsets Windows reads.
namespace {

struct LoadConfiguration {
    DWORD Size;
    DWORD TimeDateStamp;
    WORD MajorVersion;
    WORD MinorVersion;
    DWORD GlobalFlagsClear;
    DWORD GlobalFlagsSet;
    DWORD CriticalSectionDefaultTimeout;
    ULONG_PTR DeCommitFreeBlockThreshold;
    ULONG_PTR DeCommitTotalFreeThreshold;
    ULONG_PTR LockPrefixTable;
    ULONG_PTR MaximumAllocationSize;
    ULONG_PTR VirtualMemoryThreshold;
    ULONG_PTR ProcessAffinityMask; // after ProcessHeapFlags on x86; both 32 bits there
    DWORD ProcessHeapFlags;
    WORD CSDVersion;
    WORD DependentLoadFlags;
    ULONG_PTR EditList;
    ULONG_PTR SecurityCookie;
    ULONG_PTR SEHandlerTable;
    ULONG_PTR SEHandlerCount;
};

#if defined(_WIN64)
static_assert(offsetof(LoadConfiguration, DependentLoadFlags) == 0x4E && sizeof(LoadConfiguration) == 0x70);
#else
static_assert(offsetof(LoadConfiguration, DependentLoadFlags) == 0x36 && sizeof(LoadConfiguration) == 0x48);
#endif

} // namespace

extern "C" {
extern const LoadConfiguration _load_config_used;
const LoadConfiguration _load_config_used = {
    sizeof(LoadConfiguration), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, LOAD_LIBRARY_SEARCH_SYSTEM32, 0, 0, 0, 0};
}
#endif

void RestrictDllSearchToSystem() noexcept
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
