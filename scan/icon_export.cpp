#include "scan/icon_export.h"

#include "platform/handles.h"
#include "shell/file_bytes.h"
#include "shell/pe_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr uint16_t kIconType = 3;
constexpr uint16_t kGroupIconType = 14;

struct GroupMember {
    int width = 0; // 0 in the group stands for 256
    int bitCount = 0;
    uint16_t id = 0;
};

// The member of the group closest to 32x32, the one with most colours among
// equals.
bool ChooseMember(const std::string& group, GroupMember& chosen)
{
    const uint16_t count = Le16(group, 4);
    if (Le16(group, 2) != 1 || count == 0 || 6 + size_t{count} * 14 > group.size())
        return false;
    int bestDistance = 1 << 20;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t at = 6 + size_t{i} * 14;
        GroupMember member;
        member.width = static_cast<unsigned char>(group[at]) == 0 ? 256 : static_cast<unsigned char>(group[at]);
        member.bitCount = Le16(group, at + 6);
        member.id = Le16(group, at + 12);
        // Larger images scale down better than smaller ones scale up.
        const int distance = member.width >= kSize ? member.width - kSize : 4 * (kSize - member.width);
        if (distance < bestDistance || (distance == bestDistance && member.bitCount > chosen.bitCount)) {
            bestDistance = distance;
            chosen = member;
        }
    }
    return true;
}

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

// The icon as a one-image icon file: 32-bit colour with alpha, and the mask.
bool IconFileBytes(HICON hIcon, std::string& out)
{
    ICONINFO info{};
    if (!::GetIconInfo(hIcon, &info))
        return false;
    const CBitmap colour(info.hbmColor);
    const CBitmap mask(info.hbmMask);
    if (!colour || !mask)
        return false;
    const CClientDC screen(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = kSize;
    bmi.bmiHeader.biHeight = kSize; // bottom row first, as icon files keep it
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(kSize * kSize);
    if (::GetDIBits(screen.Get(), colour.Get(), 0, kSize, pixels.data(), &bmi, DIB_RGB_COLORS) != kSize)
        return false;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } maskInfo{};
    maskInfo.header = bmi.bmiHeader;
    maskInfo.header.biBitCount = 1;
    std::vector<uint8_t> maskBits(kSize * 4);
    if (::GetDIBits(screen.Get(), mask.Get(), 0, kSize, maskBits.data(), reinterpret_cast<BITMAPINFO*>(&maskInfo),
                    DIB_RGB_COLORS) != kSize)
        return false;
    // Without alpha the mask alone says which pixels show.
    bool hasAlpha = false;
    for (uint32_t pixel : pixels)
        hasAlpha = hasAlpha || (pixel >> 24) != 0;
    for (int i = 0; !hasAlpha && i < kSize * kSize; ++i) {
        const bool transparent = (maskBits[static_cast<size_t>(i / kSize * 4 + i % kSize / 8)] >> (7 - i % 8)) & 1;
        pixels[static_cast<size_t>(i)] |= transparent ? 0u : 0xFF000000u;
    }

    const uint32_t imageSize = 40 + kSize * kSize * 4 + kSize * 4;
    out.clear();
    Append16(out, 0);
    Append16(out, 1); // an icon
    Append16(out, 1); // one image
    out += static_cast<char>(kSize);
    out += static_cast<char>(kSize);
    Append16(out, 0);
    Append16(out, 1);  // planes
    Append16(out, 32); // bits per pixel
    Append32(out, imageSize);
    Append32(out, 22); // where the image begins
    Append32(out, 40);
    Append32(out, kSize);
    Append32(out, kSize * 2); // colour and mask rows
    Append16(out, 1);
    Append16(out, 32);
    for (int i = 0; i < 6; ++i)
        Append32(out, 0);
    for (uint32_t pixel : pixels)
        Append32(out, pixel);
    out.append(reinterpret_cast<const char*>(maskBits.data()), maskBits.size());
    return true;
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
    GroupMember member;
    std::string bits;
    if (!resources.Find(kGroupIconType, 0, group) || !ChooseMember(group, member) ||
        !resources.Find(kIconType, member.id, bits) || !WellFormedImage(bits))
        return false;
    const CIcon icon(::CreateIconFromResourceEx(reinterpret_cast<BYTE*>(bits.data()), static_cast<DWORD>(bits.size()),
                                                TRUE, 0x00030000, kSize, kSize, LR_DEFAULTCOLOR));
    return icon && IconFileBytes(icon.Get(), iconFile);
}
