// What an installer says about its product: from a program's version
// resource, or from a package's property table and summary.
#pragma once

#include <string>

struct ProductInfo {
    std::wstring name;        // ProductName (a program without one: FileDescription)
    std::wstring description; // FileDescription, or the package's comments or subject
    std::wstring version;     // FileVersion, or the package's ProductVersion
};

// Empty fields where the file says nothing.
ProductInfo ReadProgramInfo(const std::wstring& path);
ProductInfo ReadPackageInfo(const std::wstring& path);
