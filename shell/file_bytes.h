// Reading an installer file by ranges. Every range asked for is checked
// against the file's size, so offsets taken from the file itself can never
// reach past its end.
#pragma once

#include "platform/handles.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CFileBytes {
public:
    // Opens the file for reading, letting others read and write it as well;
    // false (with the system's error code) when it cannot be opened, for
    // example because another program holds it locked.
    bool Open(const std::wstring& path, DWORD* pError);

    uint64_t Size() const noexcept { return m_size; }

    // Exactly count bytes at offset; false when the range does not lie wholly
    // inside the file or cannot be read.
    bool Read(uint64_t offset, size_t count, std::string& out) const;
    // Up to count bytes at offset, fewer at the end of the file; empty when
    // the offset lies beyond it or the read fails.
    std::string ReadUpTo(uint64_t offset, size_t count) const;

private:
    CFileHandle m_file;
    uint64_t m_size = 0;
};

// Little-endian numbers inside a buffer; 0 when the field does not lie wholly
// inside it.
uint16_t Le16(const std::string& bytes, size_t offset) noexcept;
uint32_t Le32(const std::string& bytes, size_t offset) noexcept;
