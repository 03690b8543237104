#include "scan/installer_kind.h"

#include "shell/file_bytes.h"
#include "shell/pe_image.h"

#include "platform/text.h"

#include <objbase.h>

#include <cstring>
#include <string_view>

namespace {

// How far past the program's sections the NSIS data header is looked for.
constexpr size_t kNsisSearchBytes = 1024 * 1024;

const char kOleSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// The class of an installer package's root storage, {000C1084-0000-0000-C000-000000000046}.
const char kMsiClass[] = "\x84\x10\x0C\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";

bool Contains(std::string_view haystack, std::string_view needle)
{
    return haystack.find(needle) != std::string_view::npos;
}

std::string Utf16Bytes(std::string_view ascii)
{
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// An OLE compound file: an installer package when its root storage carries
// the package class; damaged when the root directory lies past the end.
Identification IdentifyCompoundFile(const CFileBytes& file)
{
    Identification id;
    std::string header;
    const uint16_t shift = file.Read(0, 512, header) ? Le16(header, 0x1E) : 0;
    std::string root;
    if ((shift != 9 && shift != 12) ||
        !file.Read((uint64_t{Le32(header, 0x30)} + 1) << shift, 128, root)) {
        id.verdict = FileVerdict::Damaged;
        id.problem = L"compound file header or root directory out of range";
        return id;
    }
    if (root.compare(0x50, 16, kMsiClass, 16) != 0) {
        id.verdict = FileVerdict::NotProgram;
        id.problem = L"compound file that is not an installer package";
        return id;
    }
    id.verdict = FileVerdict::Installer;
    id.kind = InstallerKind::Msi;
    return id;
}

const wchar_t* Architecture(uint16_t machine)
{
    switch (machine) {
    case 0x014C: return L"x86";
    case 0x8664: return L"x64";
    case 0xAA64: return L"ARM64";
    default: return L"?";
    }
}

// The NSIS data header: flags, 0xDEADBEEF, "NullsoftInst", header length,
// length of all data from the header on. It stands on a 512-byte boundary
// after the program's sections.
enum class NsisData { Absent, Whole, Cut };

NsisData FindNsisData(const CFileBytes& file, uint64_t overlay)
{
    const uint64_t start = (overlay + 511) / 512 * 512;
    const std::string bytes = file.ReadUpTo(start, kNsisSearchBytes);
    for (size_t at = 0; at + 28 <= bytes.size(); at += 512) {
        if (Le32(bytes, at + 4) != 0xDEADBEEFu || bytes.compare(at + 8, 12, "NullsoftInst") != 0)
            continue;
        const uint64_t length = Le32(bytes, at + 24);
        return start + at + length <= file.Size() ? NsisData::Whole : NsisData::Cut;
    }
    return NsisData::Absent;
}

InstallerKind ProgramKind(const CFileBytes& file, const PeImage& image, bool& cut)
{
    for (const PeSection& section : image.sections) {
        if (section.name == ".wixburn")
            return InstallerKind::WixBundle;
    }
    switch (FindNsisData(file, image.overlayOffset)) {
    case NsisData::Whole: return InstallerKind::Nsis;
    case NsisData::Cut: cut = true; return InstallerKind::Nsis;
    case NsisData::Absent: break;
    }
    // Inno Setup's loader keeps the offsets of its data in resource 11111 of
    // type RCDATA, marked "rDlPtS"; loaders before 5.1.5 marked offset 0x30
    // of the file with "Inno".
    const CPeResources resources(file, image);
    std::string data;
    if ((resources.Find(10, 11111, data) && data.compare(0, 6, "rDlPtS") == 0) ||
        file.ReadUpTo(0x30, 4) == "Inno")
        return InstallerKind::InnoSetup;
    // InstallShield's launcher names itself in its version resource and
    // starts its appended data with its own name.
    const std::string overlay = file.ReadUpTo(image.overlayOffset, 16);
    if (overlay.compare(0, 13, "InstallShield") == 0 || overlay.compare(0, 13, "ISSetupStream") == 0)
        return InstallerKind::InstallShield;
    if (resources.Find(16, 0, data) && (Contains(data, Utf16Bytes("ISInternalVersion")) ||
                                        Contains(data, Utf16Bytes("InstallShield"))))
        return InstallerKind::InstallShield;
    return InstallerKind::Unknown;
}

// The bundle id a WiX bundle's ".wixburn" section starts with, after its
// magic number and format version; empty when the section does not start so.
std::wstring WixBundleId(const CFileBytes& file, const PeImage& image)
{
    constexpr char kBurnMagic[] = "\x00\x43\xF1\x00";
    for (const PeSection& section : image.sections) {
        std::string header;
        if (section.name != ".wixburn" || section.rawSize < 24 || !file.Read(section.rawOffset, 24, header) ||
            header.compare(0, 4, kBurnMagic, 4) != 0)
            continue;
        GUID id{};
        std::memcpy(&id, header.data() + 8, sizeof(id));
        wchar_t text[39] = {};
        if (::StringFromGUID2(id, text, 39) == 39)
            return text;
    }
    return {};
}

} // namespace

Identification IdentifyInstaller(const std::wstring& path)
{
    Identification id;
    CFileBytes file;
    DWORD error = 0;
    if (!file.Open(path, &error)) {
        id.problem = platform_text::SystemMessage(error);
        return id;
    }
    const std::string head = file.ReadUpTo(0, 8);
    if (head.size() == 8 && head.compare(0, 8, kOleSignature, 8) == 0)
        return IdentifyCompoundFile(file);

    PeImage image;
    switch (ReadPeImage(file, image)) {
    case PeOutcome::NotProgram:
        id.verdict = FileVerdict::NotProgram;
        id.problem = L"not a Windows program";
        return id;
    case PeOutcome::Damaged:
        id.verdict = FileVerdict::Damaged;
        id.problem = L"program headers or sections run past the end of the file";
        return id;
    case PeOutcome::Program: break;
    }
    bool cut = false;
    id.kind = ProgramKind(file, image, cut);
    id.architecture = Architecture(image.machine);
    if (id.kind == InstallerKind::WixBundle)
        id.bundleId = WixBundleId(file, image);
    if (cut) {
        id.verdict = FileVerdict::Damaged;
        id.problem = L"installer data cut short";
        return id;
    }
    id.verdict = FileVerdict::Installer;
    return id;
}

const wchar_t* KindName(InstallerKind kind)
{
    switch (kind) {
    case InstallerKind::Nsis: return L"NSIS";
    case InstallerKind::InnoSetup: return L"Inno Setup";
    case InstallerKind::Msi: return L"MSI";
    case InstallerKind::WixBundle: return L"WiX bundle";
    case InstallerKind::InstallShield: return L"InstallShield";
    case InstallerKind::Unknown: break;
    }
    return L"unknown";
}

const wchar_t* SilentSwitches(InstallerKind kind)
{
    switch (kind) {
    case InstallerKind::Nsis: return L"/S";
    case InstallerKind::InnoSetup: return L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP-";
    // The package's shell action is msiexec /i "package", which takes the
    // parameters given with it.
    case InstallerKind::Msi: return L"/qn /norestart";
    case InstallerKind::WixBundle: return L"/quiet /norestart";
    case InstallerKind::InstallShield: return L"/s /v\"/qn /norestart\"";
    case InstallerKind::Unknown: break;
    }
    return L"";
}
