#include "platform/dll_search.h"

#include <windows.h>

#include <cstddef>

#if defined(__MINGW32__)
// The load configuration the system reads from the executable before any of
// its code runs; its dependent-load flags govern where the DLLs the program
// imports (and the DLLs those import) are looked for. The header's load
// configuration entry points at the object of this name (at the assembly
// level "__load_config_used" on x86): Microsoft's linker sets it, and after
// GNU ld the build does (cmake/pe_load_config.py). Laid out here rather than
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
constexpr DWORD kConfigurationSize = sizeof(LoadConfiguration);
static_assert(offsetof(LoadConfiguration, DependentLoadFlags) == 0x4E && kConfigurationSize == 0x70);
#else
// On x86 the stated size ends before the table of safe exception handlers,
// which the program does not keep: the 64 bytes every version of Windows
// takes.
constexpr DWORD kConfigurationSize = offsetof(LoadConfiguration, SEHandlerTable);
static_assert(offsetof(LoadConfiguration, DependentLoadFlags) == 0x36 && kConfigurationSize == 0x40);
#endif

} // namespace

extern "C" {
extern const LoadConfiguration _load_config_used;
const LoadConfiguration _load_config_used = {
    kConfigurationSize, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, LOAD_LIBRARY_SEARCH_SYSTEM32, 0, 0, 0, 0};
}
#endif

void RestrictDllSearchToSystem() noexcept
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
