// Writing a saved selection into the catalogue file, where the technician
// asks for it: the catalogue's folder held, no link on its way, the file
// read by its handle and its new text written beside it, then moved onto
// it; never through a link.
#pragma once

#include <string>

struct CatalogueWriteResult {
    bool bWritten = false;
    // Why not, in the technician's words.
    std::wstring strReason;
};

// Sets key name of the catalogue's [Quillset.Sets] to line, every other
// line of the file kept as written, in the file's own encoding.
CatalogueWriteResult WriteSetIntoCatalogue(const std::wstring& cataloguePath, const std::wstring& name,
                                           const std::wstring& line);
