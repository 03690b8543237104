// The headers of a Windows program (PE) file and its resources, read with
// every offset checked against the file.
#pragma once

#include "shell/file_bytes.h"

#include <cstdint>
#include <string>
#include <vector>

struct PeSection {
    std::string name; // up to 8 characters
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

struct PeImage {
    uint16_t machine = 0;
    std::vector<PeSection> sections;
    // Where the data appended behind the program's own sections begins.
    uint64_t overlayOffset = 0;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
};

enum class PeOutcome {
    Program,    // a well-formed Windows program
    NotProgram, // not a Windows program at all
    Damaged     // starts like one but its headers or sections run past the end
};

PeOutcome ReadPeImage(const CFileBytes& file, PeImage& image);

// The resource tree of a program, read into memory once.
class CPeResources {
public:
    // Larger resource sections are left unread.
    static constexpr uint32_t kMaxSectionBytes = 64u * 1024u * 1024u;

    CPeResources(const CFileBytes& file, const PeImage& image);

    // The data of resource (type, id) in its first language; id 0 takes the
    // first resource of the type, as the shell does for a program's icon.
    // False when there is none or its data lies outside the section.
    bool Find(uint16_t type, uint16_t id, std::string& data) const;

private:
    // The target of the entry of the directory at dirOffset whose numeric id
    // is id (any entry when id is 0); false when there is none.
    bool Child(uint32_t dirOffset, uint16_t id, uint32_t& target) const;

    std::string m_bytes;
    uint32_t m_base = 0; // virtual address of m_bytes[0]
    uint32_t m_root = 0; // offset of the root directory in m_bytes
};

// Whether a program built for machine runs on this Windows: one for a
// 64-bit processor (x64, ARM64, Itanium) needs 64-bit Windows; anything
// else (x86, or a machine this program does not know) is left to Windows.
bool MachineRunsOn(uint16_t machine, bool bWindows64) noexcept;
// Whether this Windows is 64-bit, whichever build asks.
bool WindowsIs64Bit() noexcept;
