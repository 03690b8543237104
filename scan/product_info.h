// What an installer says about its product: from a program's version
// resource, or from a package's property table and summary.
#pragma once

#include <string>

struct ProductInfo {
    std::wstring name;        // ProductName (a program without one: FileDescription)
    std::wstring description; // FileDescription, or the package's comments or subject
    // FileVersion, else ProductVersion (a package's ProductVersion); empty
    // when blank or all zeros.
    std::wstring version;
    // What tells that the product is installed: a program's ProductName as
    // written (empty when it has none) and its ProductVersion (else its file
    // version); a package's ProductVersion and ProductCode.
    std::wstring installedName;
    std::wstring productVersion;
    std::wstring productCode;
};

// Empty fields where the file says nothing.
ProductInfo ReadProgramInfo(const std::wstring& path);

// The installer library can fail badly on a damaged package, so a package is
// read by a copy of the running program started with the arguments
// kPackageInfoSwitch and the package's path, which answers through
// PrintPackageInfo. False when that copy could not read the package, failed
// or took longer than half a minute.
inline constexpr wchar_t kPackageInfoSwitch[] = L"--package-info";
bool ReadPackageInfo(const std::wstring& path, ProductInfo& info);
// The other side: writes the package's name, version, description and
// product code to standard output, one line each in UTF-8; returns the exit code, 0 when the
// package was read.
int PrintPackageInfo(const std::wstring& path);
