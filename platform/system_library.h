// A DLL of the system folder, loaded at run time from there alone (never by
// import, so no DLL of that name beside the program or in the current
// folder can load), and its entry points looked up by name.
#pragma once

#include "platform/handles.h"

class CSystemLibrary {
public:
    explicit CSystemLibrary(const wchar_t* pszName) noexcept
        : m_library(::LoadLibraryExW(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
    {
    }

    // Points pfn at the entry point; false (pfn null) when the library or
    // the entry point is not there.
    template <typename TFunction>
    bool Bind(TFunction& pfn, const char* pszName) const noexcept
    {
        const FARPROC proc = m_library ? ::GetProcAddress(m_library.Get(), pszName) : nullptr;
        pfn = reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(proc));
        return pfn != nullptr;
    }

private:
    CLibrary m_library;
};
