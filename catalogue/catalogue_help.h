// What a technician may write into the catalogue, in the user's words, for
// the help window.
#pragma once

#include <string>

// The catalogue's sections and keys, one to a line ("\n" ends each line).
std::wstring CatalogueKeysText();
