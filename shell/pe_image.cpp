#include "shell/pe_image.h"

namespace {

constexpr uint32_t kMaxHeaderOffset = 64u * 1024u * 1024u;
constexpr uint16_t kMaxSections = 96;
constexpr uint32_t kSubdirectory = 0x80000000u;

} // namespace

PeOutcome ReadPeImage(const CFileBytes& file, PeImage& image)
{
    std::string dos;
    if (!file.Read(0, 64, dos))
        return file.ReadUpTo(0, 2) == "MZ" ? PeOutcome::Damaged : PeOutcome::NotProgram;
    if (dos.compare(0, 2, "MZ") != 0)
        return PeOutcome::NotProgram;
    const uint32_t peOffset = Le32(dos, 0x3C);
    std::string header;
    if (peOffset > kMaxHeaderOffset || !file.Read(peOffset, 24, header))
        return PeOutcome::Damaged;
    if (header.compare(0, 4, std::string("PE\0\0", 4)) != 0)
        return PeOutcome::NotProgram; // an MS-DOS program
    image.machine = Le16(header, 4);
    const uint16_t sectionCount = Le16(header, 6);
    const uint16_t optionalSize = Le16(header, 20);
    std::string optional;
    if (sectionCount > kMaxSections || !file.Read(peOffset + 24, optionalSize, optional))
        return PeOutcome::Damaged;
    const uint16_t magic = Le16(optional, 0);
    const size_t directories = magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0;
    if (directories == 0)
        return PeOutcome::Damaged;
    if (Le32(optional, directories - 4) > 2) {
        image.resourceRva = Le32(optional, directories + 2 * 8);
        image.resourceSize = Le32(optional, directories + 2 * 8 + 4);
    }
    std::string table;
    if (!file.Read(peOffset + 24 + uint64_t{optionalSize}, size_t{sectionCount} * 40, table))
        return PeOutcome::Damaged;
    image.overlayOffset = peOffset + 24 + uint64_t{optionalSize} + table.size();
    for (size_t i = 0; i < sectionCount; ++i) {
        PeSection section;
        const size_t at = i * 40;
        section.name.assign(table.data() + at, 8);
        section.name.resize(section.name.find('\0') == std::string::npos ? 8 : section.name.find('\0'));
        section.virtualSize = Le32(table, at + 8);
        section.virtualAddress = Le32(table, at + 12);
        section.rawSize = Le32(table, at + 16);
        section.rawOffset = Le32(table, at + 20);
        const uint64_t end = uint64_t{section.rawOffset} + section.rawSize;
        if (section.rawSize != 0 && end > file.Size())
            return PeOutcome::Damaged;
        if (section.rawSize != 0 && end > image.overlayOffset)
            image.overlayOffset = end;
        image.sections.push_back(std::move(section));
    }
    return PeOutcome::Program;
}

CPeResources::CPeResources(const CFileBytes& file, const PeImage& image)
{
    if (image.resourceRva == 0)
        return;
    for (const PeSection& section : image.sections) {
        const uint32_t span = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
        if (image.resourceRva < section.virtualAddress || image.resourceRva - section.virtualAddress >= span)
            continue;
        if (section.rawSize <= kMaxSectionBytes)
            m_bytes = file.ReadUpTo(section.rawOffset, section.rawSize);
        m_base = section.virtualAddress;
        m_root = image.resourceRva - section.virtualAddress;
        return;
    }
}

bool CPeResources::Child(uint32_t dirOffset, uint16_t id, uint32_t& target) const
{
    const uint64_t entries = uint64_t{Le16(m_bytes, size_t{dirOffset} + 12)} + Le16(m_bytes, size_t{dirOffset} + 14);
    if (uint64_t{dirOffset} + 16 + entries * 8 > m_bytes.size())
        return false;
    for (uint64_t i = 0; i < entries; ++i) {
        const size_t at = static_cast<size_t>(dirOffset + 16 + i * 8);
        const uint32_t name = Le32(m_bytes, at);
        if (id == 0 || ((name & kSubdirectory) == 0 && name == id)) {
            target = Le32(m_bytes, at + 4);
            return true;
        }
    }
    return false;
}

bool CPeResources::Find(uint16_t type, uint16_t id, std::string& data) const
{
    // Three levels, type, name and language, each a directory; the last
    // points at a data entry that gives the data's address and size.
    uint32_t offset = m_root;
    const uint16_t ids[] = {type, id, 0};
    for (int level = 0; level < 3; ++level) {
        uint32_t target = 0;
        if (!Child(offset, ids[level], target))
            return false;
        if (((target & kSubdirectory) != 0) != (level < 2))
            return false;
        offset = m_root + (target & ~kSubdirectory);
        if (offset < m_root)
            return false;
    }
    const uint32_t rva = Le32(m_bytes, offset);
    const uint32_t size = Le32(m_bytes, size_t{offset} + 4);
    if (uint64_t{offset} + 16 > m_bytes.size() || rva < m_base || uint64_t{rva - m_base} + size > m_bytes.size())
        return false;
    data.assign(m_bytes, rva - m_base, size);
    return true;
}

bool MachineRunsOn(uint16_t machine, bool bWindows64) noexcept
{
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64:
    case IMAGE_FILE_MACHINE_ARM64:
    case IMAGE_FILE_MACHINE_IA64:
        return bWindows64;
    default:
        return true;
    }
}

bool WindowsIs64Bit() noexcept
{
#if defined(_WIN64)
    return true;
#else
    BOOL bWow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &bWow64) && bWow64;
#endif
}
