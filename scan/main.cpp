// QuillsetScan: writes the catalogue of a disc folder from the installers it
// holds. Run in the folder, or given it:
//     QuillsetScan.exe [folder] [--force] [--merge] [--title TEXT]
#include "catalogue/ini_profile.h"
#include "platform/dll_search.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "catalogue/catalogue_draft.h"
#include "scan/disc_scan.h"
#include "scan/product_info.h"
#include "shell/held_folder.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t kCatalogueName[] = L"Quillset.INI";
const wchar_t kProgramName[] = L"Quillset.exe";
const wchar_t kUsage[] =
    L"Usage: QuillsetScan.exe [folder] [--force] [--merge] [--title TEXT]\n"
    L"Scans the folder (default: the current one) and two levels of folders below it for\n"
    L"installers (.exe, .msi) and writes Quillset.INI and the icons folder beside them.\n"
    L"  --force  replace an existing Quillset.INI\n"
    L"  --merge  keep the entries of an existing Quillset.INI and add new installers\n"
    L"  --title  the caption of Quillset's main window\n";

enum ExitCode { kWritten = 0, kNotWritten = 1, kBadArguments = 2 };

// Text to the console as it is; into a file or pipe as UTF-8.
void Print(const std::wstring& text)
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = platform_text::ToUtf8(text);
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The folder's full path with one backslash at its end, a drive's root
// (R:\) like any other folder; empty when there is none.
std::wstring FullFolderPath(const std::wstring& folder)
{
    const DWORD size = ::GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = ::GetFullPathNameW(folder.c_str(), size, full.data(), nullptr);
    full.resize(n < size ? n : 0);
    while (!full.empty() && full.back() == L'\\')
        full.pop_back();
    return full.empty() ? full : full + L'\\';
}

void PrintSummary(const std::vector<FoundInstaller>& installers, const PassedOver& passed, size_t added)
{
    std::map<std::wstring, int> perKind;
    std::wstring unknown;
    std::wstring skipped;
    for (const FoundInstaller& installer : installers) {
        const Identification& id = installer.identification;
        switch (id.verdict) {
        case FileVerdict::Installer:
            ++perKind[KindName(id.kind)];
            if (id.kind == InstallerKind::Unknown)
                unknown += L"  " + installer.relativePath + L"\n";
            break;
        case FileVerdict::NotProgram:
            skipped += L"  " + installer.relativePath + L": not an installer (" + id.problem + L")\n";
            break;
        case FileVerdict::Damaged:
            skipped += L"  " + installer.relativePath + L": damaged (" + id.problem + L")\n";
            break;
        case FileVerdict::Unreadable:
            skipped += L"  " + installer.relativePath + L": could not be read (" + id.problem + L")\n";
            break;
        }
    }
    std::wstring text = L"Installers by kind:\n";
    for (const auto& [kind, count] : perKind)
        text += L"  " + kind + L": " + std::to_wstring(count) + L"\n";
    if (perKind.empty())
        text += L"  none found\n";
    if (!unknown.empty())
        text += L"Warning: unknown installer kind: no silent switches known, so AutoInstall is left empty and Checked=0 "
                L"(write the installer's silent switches by hand to install it automatically):\n" +
                unknown;
    for (const std::wstring& path : passed.tooDeep)
        skipped += L"  " + path + L": deeper than two folders below the disc folder; not scanned\n";
    for (const std::wstring& path : passed.links)
        skipped += L"  " + path + L": a link or junction; not followed\n";
    if (!skipped.empty())
        text += L"Skipped:\n" + skipped;
    text += L"New entries: " + std::to_wstring(added) + L"\n";
    Print(text);
}

int Run(int argc, wchar_t** argv)
{
    std::wstring folder = L".";
    bool force = false;
    bool merge = false;
    bool folderGiven = false;
    std::wstring title;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--force")
            force = true;
        else if (arg == L"--merge")
            merge = true;
        else if (arg == L"--title" && i + 1 < argc)
            title = argv[++i];
        else if (arg == L"--help" || arg == L"/?") {
            Print(kUsage);
            return kWritten;
        } else if (!arg.starts_with(L"--") && !folderGiven) {
            folder = arg;
            folderGiven = true;
        } else {
            Print(L"Unknown argument: " + arg + L"\n" + kUsage);
            return kBadArguments;
        }
    }
    folder = FullFolderPath(folder);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Print(L"Not a folder: " + folder + L"\n");
        return kNotWritten;
    }
    const std::wstring cataloguePath = folder + kCatalogueName;
    // Whoever can write to the folder could have put a link where the
    // builder writes, to have some other file overwritten, or could swap a
    // folder for one while the scan runs: both folders are held from here
    // to the end, the icon folder from its making when it is not there yet.
    const std::wstring iconPath = folder + kIconFolder;
    CHeldFolder discFolder;
    CHeldFolder iconFolder;
    for (const std::wstring& target : {cataloguePath, iconPath}) {
        if (IsLinkAt(target)) {
            Print(target + L" is a symbolic link or junction; nothing written. Remove it and run again.\n");
            return kNotWritten;
        }
    }
    const bool bIconsThere = ::GetFileAttributesW(iconPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!discFolder.Hold(folder, false) || (bIconsThere && !iconFolder.Hold(iconPath, false))) {
        const CHeldFolder& failed = discFolder.IsHeld() ? iconFolder : discFolder;
        Print(L"Could not hold " + (discFolder.IsHeld() ? iconPath : folder) + L" (Windows error " +
              std::to_wstring(failed.Error()) +
              (failed.Error() == kErrorStoppedOnLink ? L": it lies behind a symbolic link or junction" : L"") +
              L"); nothing written.\n");
        return kNotWritten;
    }
    const bool exists = ::GetFileAttributesW(cataloguePath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (exists && !force && !merge) {
        Print(cataloguePath + L" exists; use --merge to add new installers to it or --force to replace it.\n");
        return kNotWritten;
    }

    // A catalogue that cannot be read now would be lost by the merge.
    if (exists && merge &&
        !CFileHandle(::CreateFileW(cataloguePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr))) {
        Print(L"Could not read " + cataloguePath + L"; nothing written.\n");
        return kNotWritten;
    }

    Print(L"Scanning " + folder + L"\n");
    PassedOver passed;
    std::vector<FoundInstaller> installers = ScanDisc(folder, {kProgramName, L"QuillsetScan.exe"}, &passed);
    CCatalogueDraft draft;
    if (exists && merge) {
        const CIniProfile existing(cataloguePath);
        draft = CCatalogueDraft(existing);
    }
    if (!title.empty())
        draft.SetSetting(L"TitleText", title);
    size_t keyed = 0;
    const size_t added = AddInstallers(draft, folder, installers, iconFolder, &keyed);
    for (const FoundInstaller& installer : installers) {
        if (!installer.entryName.empty())
            Print(L"  " + std::wstring(KindName(installer.identification.kind)) + L"  " + installer.relativePath +
                  L"  ->  " + installer.entryName + L"\n");
    }
    if (keyed > 0)
        Print(L"Entries given the keys that tell whether they are installed: " + std::to_wstring(keyed) + L"\n");
    PrintSummary(installers, passed, added);
    if (!discFolder.WriteInto(draft.FileBytes(), kCatalogueName, false)) {
        Print(L"Could not write " + cataloguePath + L"\n");
        return kNotWritten;
    }
    Print(L"Wrote " + cataloguePath + L"\n");
    return kWritten;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    RestrictDllSearchToSystem();
    if (argc == 3 && std::wstring(argv[1]) == kPackageInfoSwitch)
        return PrintPackageInfo(argv[2]);
    return Run(argc, argv);
}
