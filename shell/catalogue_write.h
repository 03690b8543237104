// Writing a saved selection into the catalogue file, where the technician
// asks for it: the catalogue's folder held, no link on its way, the file
// read by its handle and its new text written beside it, then moved onto
// it; never through a link.
#pragma once

#include <string>

class CHeldFolder;

struct CatalogueWriteResult {
    bool bWritten = false;
    // Why not, in the technician's words.
    std::wstring strReason;
};

// Sets key name of the catalogue's [Quillset.Sets] to line, every other
// line of the file kept as written, in the file's own encoding.
CatalogueWriteResult WriteSetIntoCatalogue(const std::wstring& cataloguePath, const std::wstring& name,
                                           const std::wstring& line);

// The bytes of the catalogue fileName in the held folder, read through a
// handle of its own (before anything replaces it); a reason when they
// cannot be had: not readable, a link, a folder, larger than a catalogue
// may be.
CatalogueWriteResult ReadCatalogueBytes(const CHeldFolder& folder, const std::wstring& fileName, std::string& bytes);
