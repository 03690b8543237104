#include "shell/installed_programs.h"

#include "platform/handles.h"
#include "platform/system_library.h"

#include <windows.h>
#include <msi.h>

#include <vector>

namespace {

// A string value of a key; empty when it is not there or no string.
std::wstring ReadString(HKEY hKey, const wchar_t* pszName)
{
    DWORD type = 0;
    DWORD cb = 0;
    if (::RegQueryValueExW(hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || cb == 0)
        return {};
    std::wstring value(cb / sizeof(wchar_t) + 1, L'\0');
    cb = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &cb) !=
        ERROR_SUCCESS)
        return {};
    value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
    return value;
}

// Every subkey of the Uninstall key of one root and view.
void ReadUninstall(HKEY hRoot, REGSAM view, RegistryView where, std::vector<UninstallRecord>& records)
{
    HKEY hOpened = nullptr;
    if (::RegOpenKeyExW(hRoot, kUninstallKeyPath, 0, KEY_READ | view, &hOpened) != ERROR_SUCCESS)
        return;
    const CRegKey uninstall(hOpened);
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256];
        DWORD cch = 256;
        const LONG result = ::RegEnumKeyExW(uninstall.Get(), i, szName, &cch, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue; // longer than a key name can be
        if (result != ERROR_SUCCESS)
            break;
        HKEY hSub = nullptr;
        if (::RegOpenKeyExW(uninstall.Get(), szName, 0, KEY_QUERY_VALUE | view, &hSub) != ERROR_SUCCESS)
            continue;
        const CRegKey sub(hSub);
        UninstallRecord record;
        record.view = where;
        record.strKey.assign(szName, cch);
        record.strDisplayName = ReadString(sub.Get(), L"DisplayName");
        record.strDisplayVersion = ReadString(sub.Get(), L"DisplayVersion");
        records.push_back(std::move(record));
    }
}

// Whether this is 64-bit Windows, whichever build asks.
bool Is64BitWindows() noexcept
{
    if constexpr (sizeof(void*) == 8)
        return true;
    BOOL bWow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &bWow64) && bWow64;
}

// The products Windows Installer has installed (not those merely
// advertised), with their versions.
std::vector<InstallerProduct> ReadInstallerProducts()
{
    const CSystemLibrary msi(L"msi.dll");
    decltype(&::MsiEnumProductsW) enumProducts = nullptr;
    decltype(&::MsiQueryProductStateW) queryState = nullptr;
    decltype(&::MsiGetProductInfoW) getInfo = nullptr;
    std::vector<InstallerProduct> products;
    if (!msi.Bind(enumProducts, "MsiEnumProductsW") || !msi.Bind(queryState, "MsiQueryProductStateW") ||
        !msi.Bind(getInfo, "MsiGetProductInfoW"))
        return products;
    for (DWORD i = 0;; ++i) {
        wchar_t szCode[39];
        if (enumProducts(i, szCode) != ERROR_SUCCESS)
            break;
        if (queryState(szCode) != INSTALLSTATE_DEFAULT)
            continue;
        InstallerProduct product;
        product.strCode = szCode;
        wchar_t szVersion[64];
        DWORD cch = 64;
        if (getInfo(szCode, INSTALLPROPERTY_VERSIONSTRING, szVersion, &cch) == ERROR_SUCCESS)
            product.strVersion.assign(szVersion, cch);
        products.push_back(std::move(product));
    }
    return products;
}

} // namespace

CInstalledSnapshot ReadInstalledPrograms()
{
    std::vector<UninstallRecord> records;
    if (Is64BitWindows()) {
        ReadUninstall(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, RegistryView::Machine64, records);
        ReadUninstall(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, RegistryView::Machine32, records);
    } else {
        ReadUninstall(HKEY_LOCAL_MACHINE, 0, RegistryView::Machine32, records);
    }
    ReadUninstall(HKEY_CURRENT_USER, 0, RegistryView::User, records);
    return CInstalledSnapshot(std::move(records), ReadInstallerProducts());
}
