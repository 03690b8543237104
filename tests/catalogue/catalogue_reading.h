// Reading catalogues written into temporary folders, for the catalogue's
// test files.
#pragma once

#include "catalogue/catalogue.h"

#include <cstddef>

#include <string>
#include <vector>

namespace catalogue_testing {

// The folder the catalogues read here stand beside.
extern const std::wstring kExeFolder;

void ReadFrom(CatalogueSettings& settings, const std::wstring& path);
void ReadText(CatalogueSettings& settings, const std::wstring& text);
std::vector<std::wstring> CategoryNames(const CatalogueSettings& settings);
std::vector<std::wstring> EntryNames(const SoftwareCategory& category);

// A Chinese catalogue as a technician writes it.
extern const wchar_t kChineseCatalogue[];
// [Type] naming the categories given (C<i> for a number i), and in
// [C0.List] ... the same entries E1 ... E<entries>.
std::wstring ListedTwice(const std::vector<std::wstring>& sorts, size_t lists, int entries);
// The names C0 ... C<count - 1>.
std::vector<std::wstring> Numbered(size_t count);

} // namespace catalogue_testing
