// One owner for every Windows handle the program holds: GDI objects, device
// contexts, icons, menus, image lists and kernel handles. Each owner is
// move-only and releases its handle exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename THandle, typename TTraits>
class CUniqueHandle {
public:
    CUniqueHandle() noexcept = default;
    explicit CUniqueHandle(THandle h) noexcept : m_h(h) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~CUniqueHandle() { Reset(); }

    THandle Get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return TTraits::IsValid(m_h); }

    // Takes ownership of h, releasing what was held before.
    void Reset(THandle h = TTraits::Invalid()) noexcept
    {
        if (TTraits::IsValid(m_h) && m_h != h)
            TTraits::Close(m_h);
        m_h = h;
    }
    // Gives up ownership without releasing.
    THandle Release() noexcept { return std::exchange(m_h, TTraits::Invalid()); }

private:
    THandle m_h = TTraits::Invalid();
};

namespace handle_traits {
template <typename T>
struct Null {
    static constexpr T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
};
template <typename T>
struct GdiObject : Null<T> {
    static void Close(T h) noexcept { ::DeleteObject(h); }
};
struct MemoryDc : Null<HDC> {
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
struct Icon : Null<HICON> {
    static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct Cursor : Null<HCURSOR> {
    static void Close(HCURSOR h) noexcept { ::DestroyCursor(h); }
};
struct Menu : Null<HMENU> {
    static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
struct ImageList : Null<HIMAGELIST> {
    static void Close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
};
struct Kernel : Null<HANDLE> {
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FindFile {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
struct File {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct Module : Null<HMODULE> {
    static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
struct RegistryKey : Null<HKEY> {
    static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct LocalMemory : Null<HLOCAL> {
    static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
} // namespace handle_traits

using CBitmap = CUniqueHandle<HBITMAP, handle_traits::GdiObject<HBITMAP>>;
using CFont = CUniqueHandle<HFONT, handle_traits::GdiObject<HFONT>>;
using CBrush = CUniqueHandle<HBRUSH, handle_traits::GdiObject<HBRUSH>>;
using CPen = CUniqueHandle<HPEN, handle_traits::GdiObject<HPEN>>;
using CMemDC = CUniqueHandle<HDC, handle_traits::MemoryDc>;
using CIcon = CUniqueHandle<HICON, handle_traits::Icon>;
using CCursor = CUniqueHandle<HCURSOR, handle_traits::Cursor>;
using CMenu = CUniqueHandle<HMENU, handle_traits::Menu>;
using CImageList = CUniqueHandle<HIMAGELIST, handle_traits::ImageList>;
using CKernelHandle = CUniqueHandle<HANDLE, handle_traits::Kernel>;
using CFindHandle = CUniqueHandle<HANDLE, handle_traits::FindFile>;
using CFileHandle = CUniqueHandle<HANDLE, handle_traits::File>;
using CLibrary = CUniqueHandle<HMODULE, handle_traits::Module>;
using CRegKey = CUniqueHandle<HKEY, handle_traits::RegistryKey>;
// Memory the system allocated for the caller to free with LocalFree.
using CLocalMemory = CUniqueHandle<HLOCAL, handle_traits::LocalMemory>;

// A device context borrowed from a window (GetDC / ReleaseDC).
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) noexcept : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    HDC Get() const noexcept { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// The device context of one WM_PAINT (BeginPaint / EndPaint).
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) noexcept : m_hWnd(hWnd) { ::BeginPaint(hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    HDC Get() const noexcept { return m_ps.hdc; }
    const PAINTSTRUCT& Info() const noexcept { return m_ps; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
};

// Selects an object into a device context for one scope and restores the
// previous selection when the scope ends.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) noexcept
        : m_hDC(hDC), m_hOld(hObject ? ::SelectObject(hDC, hObject) : nullptr)
    {
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Loads a bitmap resource of this module in its own colours; null when absent.
CBitmap LoadBitmapResource(UINT id);
// Loads an icon resource of this module at the given size; null when absent.
CIcon LoadIconResource(UINT id, int cx, int cy);
// The width and height of a bitmap; zero for a null or unreadable one.
SIZE BitmapSize(HBITMAP hBitmap) noexcept;

// Repainting of one window held back for a scope: many changes, then one
// repaint of the whole window.
class CRedrawOff {
public:
    explicit CRedrawOff(HWND hWnd) noexcept : m_hWnd(hWnd) { ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0); }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;
    ~CRedrawOff()
    {
        ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }

private:
    HWND m_hWnd;
};
