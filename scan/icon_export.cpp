#include "scan/icon_export.h"

#include "platform/handles.h"
#include "shell/file_bytes.h"
#include "shell/pe_image.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint16_t kIconType = 3;
constexpr uint16_t kGroupIconType = 14;
// A member of an icon group: width, height, colours, reserved, planes, bits
// per pixel and size, then the number of its image.
constexpr size_t kGroupMemberSize = 14;
constexpr size_t kFileEntrySize = 16;

// An icon image is a PNG file or a bitmap whose header, colour table, colour
// rows and mask rows all lie inside its data.
bool WellFormedImage(const std::string& image)
{
    if (image.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0)
        return true;
    const uint32_t headerSize = Le32(image, 0);
    const int32_t width = static_cast<int32_t>(Le32(image, 4));
    const int32_t height = static_cast<int32_t>(Le32(image, 8));
    const uint16_t bitCount = Le16(image, 14);
    if (headerSize < 40 || width <= 0 || width > 256 || height <= 0 || height > 512)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    uint64_t colours = Le32(image, 32);
    if (colours == 0 && bitCount <= 8)
        colours = uint64_t{1} << bitCount;
    if (colours > 256)
        return false;
    const uint64_t rows = static_cast<uint64_t>(height) / 2;
    const uint64_t colourRow = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    const uint64_t maskRow = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    return headerSize + colours * 4 + rows * (colourRow + maskRow) <= image.size();
}

void Append16(std::string& out, uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Append32(std::string& out, uint32_t value)
{
    Append16(out, static_cast<uint16_t>(value & 0xFFFF));
    Append16(out, static_cast<uint16_t>(value >> 16));
}

} // namespace

bool ProgramIconFile(const std::wstring& programPath, std::string& iconFile)
{
    CFileBytes file;
    DWORD error = 0;
    PeImage image;
    if (!file.Open(programPath, &error) || ReadPeImage(file, image) != PeOutcome::Program)
        return false;
    const CPeResources resources(file, image);
    std::string group;
    if (!resources.Find(kGroupIconType, 0, group) || Le16(group, 2) != 1)
        return false;
    const uint16_t count = Le16(group, 4);
    if (6 + size_t{count} * kGroupMemberSize > group.size())
        return false;
    // Every image of the icon the group lists, as the file's own: the window
    // picks the size of its screen's scale from them.
    std::vector<std::string> entries;
    std::vector<std::string> images;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t at = 6 + size_t{i} * kGroupMemberSize;
        std::string bits;
        if (!resources.Find(kIconType, Le16(group, at + 12), bits) || !WellFormedImage(bits))
            continue;
        entries.push_back(group.substr(at, 8));
        images.push_back(std::move(bits));
    }
    if (images.empty())
        return false;
    iconFile.clear();
    Append16(iconFile, 0);
    Append16(iconFile, 1); // an icon
    Append16(iconFile, static_cast<uint16_t>(images.size()));
    size_t offset = 6 + images.size() * kFileEntrySize;
    for (size_t i = 0; i < images.size(); ++i) {
        iconFile += entries[i];
        Append32(iconFile, static_cast<uint32_t>(images[i].size()));
        Append32(iconFile, static_cast<uint32_t>(offset));
        offset += images[i].size();
    }
    for (const std::string& bits : images)
        iconFile += bits;
    return true;
}
