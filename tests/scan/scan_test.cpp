// The catalogue builder on disc folders of real installers: NSIS installers
// and an installer package built from samples/, stand-ins for the kinds no
// tool here builds, and files that are damaged, locked or no program at all.
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "catalogue/catalogue_draft.h"
#include "scan/disc_scan.h"
#include "scan/installer_kind.h"
#include "scan/product_info.h"
#include "shell/held_folder.h"
#include "shell/shell.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "tests/ui/main/link_points.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

// The widths of the images an icon file holds (0 for 256).
std::vector<int> IconFileWidths(const std::string& bytes)
{
    std::vector<int> widths;
    const size_t count = bytes.size() >= 6 ? static_cast<unsigned char>(bytes[4]) : 0;
    for (size_t i = 0; i < count && 6 + 16 * i < bytes.size(); ++i)
        widths.push_back(static_cast<unsigned char>(bytes[6 + 16 * i]));
    return widths;
}

// The name of the first resource enumerated: its number, or its text.
BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found)
{
    *reinterpret_cast<std::wstring*>(found) =
        IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : std::wstring(name);
    return FALSE;
}

// The widths of the images of a program's own icon, the first icon group of
// its resources.
std::vector<int> ProgramIconWidths(const std::wstring& program)
{
    const CLibrary module(::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    std::wstring first;
    ::EnumResourceNamesW(module.Get(), MAKEINTRESOURCEW(14), &FirstName, reinterpret_cast<LONG_PTR>(&first));
    const HRSRC hInfo = first.empty() ? nullptr : ::FindResourceW(module.Get(), first.c_str(), MAKEINTRESOURCEW(14));
    const HGLOBAL hGroup = hInfo ? ::LoadResource(module.Get(), hInfo) : nullptr;
    const auto* pGroup = static_cast<const BYTE*>(hGroup ? ::LockResource(hGroup) : nullptr);
    std::vector<int> widths;
    for (int i = 0; pGroup && i < pGroup[4]; ++i)
        widths.push_back(pGroup[6 + 14 * i]);
    return widths;
}

std::wstring Sample(const std::wstring& name)
{
    return ProgramFolder() + L"scan-samples\\" + name;
}

std::string SampleBytes(const std::wstring& name)
{
    const std::string bytes = ReadFile(Sample(name));
    EXPECT_FALSE(bytes.empty()) << "missing sample " << ToUtf8(name);
    return bytes;
}

// The width of the test program, and so of the plain program built beside it.
const wchar_t* const kBuildArchitecture = sizeof(void*) == 8 ? L"x64" : L"x86";

std::string Patched(std::string bytes, size_t at, const std::string& with)
{
    return bytes.replace(at, with.size(), with);
}

// The package with the class of its root storage cleared: a compound file
// that is no installer package.
std::string PackageWithoutClass()
{
    const std::string bytes = SampleBytes(L"reader.msi");
    const size_t shift = static_cast<unsigned char>(bytes[0x1E]);
    const size_t sector = static_cast<unsigned char>(bytes[0x30]) | static_cast<unsigned char>(bytes[0x31]) << 8;
    return Patched(bytes, ((sector + 1) << shift) + 0x50, std::string(16, '\0'));
}

struct ScanRun {
    DWORD exitCode = 0;
    std::wstring output;
};

class Scanner : public ::testing::Test {
protected:
    void Put(const std::wstring& relative, const std::string& bytes) { WriteFile(m_disc / relative, bytes); }

    // QuillsetScan.exe run on the disc folder (or another), its output read
    // from a pipe.
    ScanRun Scan(const std::wstring& arguments) const { return ScanFolder(m_disc.Path(), arguments); }
    static ScanRun ScanFolder(const std::wstring& folder, const std::wstring& arguments)
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        EXPECT_TRUE(::CreatePipe(&read, &write, &inherit, 0));
        const CKernelHandle readEnd(read);
        CKernelHandle writeEnd(write);
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = write;
        std::wstring command = L"\"" + ProgramFolder() + L"QuillsetScan.exe\" \"" + folder +
                              (folder.ends_with(L'\\') ? L"\\\" " : L"\" ") + arguments;
        PROCESS_INFORMATION pi{};
        ScanRun run;
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &si, &pi)) {
            ADD_FAILURE() << "QuillsetScan.exe did not start";
            return run;
        }
        const CKernelHandle process(pi.hProcess);
        const CKernelHandle thread(pi.hThread);
        writeEnd.Reset();
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            bytes.append(buffer, got);
        EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
        ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
        run.output = FromUtf8(bytes);
        return run;
    }

    // The written catalogue as the program reads it.
    void Load(CatalogueSettings& settings) const
    {
        const CIniProfile profile(m_disc / L"Quillset.INI");
        ReadCatalogue(settings, profile, m_disc.Path() + L"\\");
    }

    const SoftwareCategory* FindCategory(const CatalogueSettings& settings, const std::wstring& name) const
    {
        for (const SoftwareCategory* c = settings.Categories.get(); !c->Name.empty(); ++c) {
            if (c->Name == name)
                return c;
        }
        ADD_FAILURE() << "no category " << ToUtf8(name);
        return nullptr;
    }

    TempDir m_disc;
};

TEST_F(Scanner, TellsEachInstallerKindFromItsBytes)
{
    const std::string plain = SampleBytes(L"scan_sample_plain.exe");
    const std::string zip = SampleBytes(L"zip64.exe");
    const std::string package = SampleBytes(L"reader.msi");
    const std::string wildHeader = "MZ" + std::string(58, '\0') + "\xF0\xFF\xFF\xFF";
    const struct {
        const wchar_t* name;
        std::string bytes;
        FileVerdict verdict;
        InstallerKind kind;
        const wchar_t* architecture;
    } cases[] = {
        {L"nsis64.exe", zip, FileVerdict::Installer, InstallerKind::Nsis, L"x64"},
        {L"nsis32.exe", SampleBytes(L"viewer32.exe"), FileVerdict::Installer, InstallerKind::Nsis, L"x86"},
        {L"package.msi", package, FileVerdict::Installer, InstallerKind::Msi, L""},
        {L"bundle32.exe", SampleBytes(L"bundle32.exe"), FileVerdict::Installer, InstallerKind::WixBundle, L"x86"},
        {L"bundle64.exe", SampleBytes(L"bundle64.exe"), FileVerdict::Installer, InstallerKind::WixBundle, L"x64"},
        {L"inno.exe", SampleBytes(L"notes.exe"), FileVerdict::Installer, InstallerKind::InnoSetup, L"x86"},
        {L"shield.exe", plain + std::string("InstallShield\0\0\0data", 21), FileVerdict::Installer,
         InstallerKind::InstallShield, kBuildArchitecture},
        {L"plain.exe", plain, FileVerdict::Installer, InstallerKind::Unknown, kBuildArchitecture},
        {L"setup.exe", "@echo off\r\nstart setup\r\n", FileVerdict::NotProgram, InstallerKind::Unknown, L""},
        {L"empty.exe", "", FileVerdict::NotProgram, InstallerKind::Unknown, L""},
        {L"document.msi", PackageWithoutClass(), FileVerdict::NotProgram, InstallerKind::Unknown, L""},
        {L"cut-data.exe", zip.substr(0, zip.size() * 2 / 3), FileVerdict::Damaged, InstallerKind::Unknown, L""},
        {L"cut-headers.exe", plain.substr(0, 300), FileVerdict::Damaged, InstallerKind::Unknown, L""},
        {L"wild-header.exe", wildHeader, FileVerdict::Damaged, InstallerKind::Unknown, L""},
        {L"cut-package.msi", package.substr(0, 600), FileVerdict::Damaged, InstallerKind::Unknown, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        Put(c.name, c.bytes);
        const Identification id = IdentifyInstaller(m_disc / c.name);
        EXPECT_EQ(id.verdict, c.verdict);
        if (c.verdict == FileVerdict::Installer) {
            EXPECT_EQ(id.kind, c.kind);
            EXPECT_EQ(id.architecture, c.architecture);
        }
    }
    // A locked file is reported, not read.
    const CFileHandle lock(::CreateFileW((m_disc / L"nsis64.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    const Identification locked = IdentifyInstaller(m_disc / L"nsis64.exe");
    EXPECT_EQ(locked.verdict, FileVerdict::Unreadable);
    EXPECT_FALSE(locked.problem.empty());
}

TEST_F(Scanner, WritesACatalogueTheProgramReadsWithPathsOnTheDisc)
{
    const std::string zip = SampleBytes(L"zip64.exe");
    Put(L"中文安装.exe", zip);
    Put(L"Quillset.exe", SampleBytes(L"scan_sample_plain.exe"));
    Put(L"系统工具\\看图 工具\\viewer setup.exe", SampleBytes(L"viewer32.exe"));
    Put(L"系统工具\\bundle.exe", SampleBytes(L"bundle64.exe"));
    Put(L"办公\\reader.msi", SampleBytes(L"reader.msi"));
    Put(L"办公\\a\\b\\too-deep.exe", zip);
    Put(L"Misc\\plain.exe", SampleBytes(L"scan_sample_plain.exe"));
    Put(L"Misc\\setup.exe", "not a program");
    Put(L"Misc\\cut.exe", zip.substr(0, zip.size() / 2));
    // Its first allocation sector lies far past the end: the installer
    // library fails on it.
    Put(L"Misc\\broken.msi", Patched(SampleBytes(L"reader.msi"), 0x4C, "\xF0\xFF\xFF\x7F"));
    Put(L"Misc\\locked.exe", zip);
    const CFileHandle lock(::CreateFileW((m_disc / L"Misc\\locked.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);

    const ScanRun run = Scan(L"");
    ASSERT_EQ(run.exitCode, 0u) << ToUtf8(run.output);
    EXPECT_EQ(ReadFile(m_disc / L"Quillset.INI").substr(0, 2), "\xFF\xFE");
    for (const wchar_t* line : {L"NSIS: 2\n", L"MSI: 1\n", L"WiX bundle: 1\n", L"unknown: 1\n",
                                L"AutoInstall is left empty and Checked=0", L"install it automatically):\n  Misc\\plain.exe\n",
                                L"办公\\a\\b\\too-deep.exe: deeper than two folders",
                                L"Misc\\setup.exe: not an installer", L"Misc\\cut.exe: damaged", L"Misc\\broken.msi: damaged",
                                L"Misc\\locked.exe: could not be read", L"New entries: 5\n"})
        EXPECT_NE(run.output.find(line), std::wstring::npos) << ToUtf8(line) << "\n" << ToUtf8(run.output);
    EXPECT_EQ(run.output.find(L"Quillset.exe "), std::wstring::npos);

    CatalogueSettings settings;
    Load(settings);
    ASSERT_EQ(settings.Categories[0].Name, L"常用软件");
    const std::wstring disc = m_disc.Path() + L"\\";
    const struct {
        const wchar_t* category;
        int index;
        const wchar_t* name;
        const wchar_t* installer;
        const wchar_t* switches;
        const wchar_t* description;
        bool icon;
        // The keys that tell whether it is installed (a package's product
        // code is new at every build: only its form is checked).
        const wchar_t* installedName;
        const wchar_t* uninstallKey;
        bool productCode;
        const wchar_t* version;
    } entries[] = {
        {L"常用软件", 0, L"极速压缩", L"中文安装.exe", L"/S", L"小巧快速的压缩工具, 版本 2.1.0", true, L"极速压缩", L"",
         false, L"2.1.0"},
        {L"系统工具", 0, L"bundle", L"系统工具\\bundle.exe", L"/quiet /norestart", L"bundle.exe", true, L"",
         L"{5A1E3C2B-7D4F-4B6A-9C8E-1F2A3B4C5D6E}", false, L""},
        // No product name: named after the folder it has to itself.
        {L"系统工具", 1, L"看图 工具", L"系统工具\\看图 工具\\viewer setup.exe", L"/S", L"viewer setup.exe", true,
         L"", L"", false, L""},
        {L"办公", 0, L"Quill Reader", L"办公\\reader.msi", L"/qn /norestart", L"Reads documents aloud, 版本 3.4.5",
         false, L"", L"", true, L"3.4.5"},
        {L"Misc", 0, L"plain", L"Misc\\plain.exe", L"", L"plain.exe", false, L"", L"", false, L""},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(ToUtf8(e.name));
        const SoftwareCategory* category = FindCategory(settings, e.category);
        ASSERT_NE(category, nullptr);
        const SoftwareEntry& entry = *category->Entries[static_cast<size_t>(e.index)];
        EXPECT_EQ(entry.Name, e.name);
        EXPECT_EQ(entry.ManualInstall, disc + e.installer);
        EXPECT_EQ(entry.Description, e.description);
        EXPECT_EQ(entry.InstalledName, e.installedName);
        EXPECT_EQ(entry.UninstallKey, e.uninstallKey);
        EXPECT_EQ(entry.ProductCode.size() == 38 && entry.ProductCode.front() == L'{', e.productCode)
            << ToUtf8(entry.ProductCode);
        EXPECT_EQ(entry.Version, e.version);
        // An installer of no kind known has no automatic install.
        if (!*e.switches) {
            EXPECT_EQ(entry.AutoInstall, L"");
            continue;
        }
        // The unattended install resolves, blanks in the path and all, to the
        // installer and its switches.
        CShell shell(entry.AutoInstall, L"");
        std::wstring parameters;
        EXPECT_EQ(shell.m_bFound, 1);
        EXPECT_EQ(shell.GetFile(parameters), disc + e.installer);
        EXPECT_EQ(parameters, e.switches);
        // The icon loads as the main window loads it.
        const CIcon icon(static_cast<HICON>(
            ::LoadImageW(nullptr, entry.IconPath.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        EXPECT_EQ(static_cast<bool>(icon), e.icon);
        // Every image size of the installer's own icon, for every scale
        // (the viewer's icon has several).
        if (e.icon) {
            EXPECT_EQ(IconFileWidths(ReadFile(entry.IconPath)), ProgramIconWidths(disc + e.installer));
        }
    }
    {
        const SoftwareEntry& viewer = *FindCategory(settings, L"系统工具")->Entries[1];
        const std::vector<int> widths = IconFileWidths(ReadFile(viewer.IconPath));
        EXPECT_EQ(widths, ProgramIconWidths(viewer.ManualInstall));
        EXPECT_GT(widths.size(), 1u);
    }
    EXPECT_TRUE(settings.Categories[4].Name.empty());
    EXPECT_EQ(FindCategory(settings, L"系统工具")->IconPath, disc + L"icons\\bundle.ico");
}

TEST_F(Scanner, KeepsAnExistingCatalogueUnlessToldToMergeOrReplace)
{
    Put(L"tools\\zip.exe", SampleBytes(L"zip64.exe"));
    Put(L"tools\\viewer.exe", SampleBytes(L"viewer32.exe"));
    Put(L"old\\zip.exe", SampleBytes(L"zip64.exe"));
    // 旧压缩 was written before the keys that tell what is installed: it
    // gets them; 我的压缩 keeps the ones written by hand.
    const std::string handWritten = ToUtf16LeWithBom(
        L"; written by hand\r\n[Config]\r\nTitleText=我的光盘\r\nDefault=0\r\n[Type]\r\nSort1=手工\r\n"
        L"[手工.List]\r\nList1=我的压缩\r\nList2=旧压缩\r\n[旧压缩]\r\nAutoInstall=old\\zip.exe /S\r\n"
        L"[我的压缩]\r\nWorkingDir=%CurrDir%\r\n"
        L"AutoInstall=tools\\zip.exe /S /D=C:\\Q\r\nManualInstall=tools\\zip.exe\r\nDescription=\"  保留原样  \"\r\n"
        L"InstalledName=我的压缩工具\r\nVersion=9.9\r\n");
    Put(L"Quillset.INI", handWritten);

    const ScanRun refused = Scan(L"");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.output.find(L"--merge"), std::wstring::npos);
    EXPECT_EQ(ReadFile(m_disc / L"Quillset.INI"), handWritten);

    // Merged twice: the hand-written entry stays as written, the one new
    // installer is added once.
    for (const wchar_t* added : {L"New entries: 1\n", L"New entries: 0\n"}) {
        const ScanRun merged = Scan(L"--merge");
        EXPECT_EQ(merged.exitCode, 0u);
        EXPECT_NE(merged.output.find(added), std::wstring::npos) << ToUtf8(merged.output);
        const CIniProfile profile(m_disc / L"Quillset.INI");
        EXPECT_EQ(profile.GetString(L"Config", L"TitleText", L""), L"我的光盘");
        EXPECT_EQ(profile.GetInt(L"Config", L"Default", 1), 0);
        EXPECT_EQ(profile.GetString(L"我的压缩", L"AutoInstall", L""), L"tools\\zip.exe /S /D=C:\\Q");
        EXPECT_EQ(profile.GetString(L"我的压缩", L"Description", L""), L"  保留原样  ");
        EXPECT_EQ(profile.GetString(L"我的压缩", L"InstalledName", L""), L"我的压缩工具");
        EXPECT_EQ(profile.GetString(L"我的压缩", L"Version", L""), L"9.9");
        EXPECT_EQ(profile.GetString(L"我的压缩", L"ProductCode", L"-"), L"-");
        EXPECT_EQ(profile.GetString(L"旧压缩", L"InstalledName", L""), L"极速压缩");
        EXPECT_EQ(profile.GetString(L"旧压缩", L"Version", L""), L"2.1.0");
        EXPECT_EQ(profile.GetString(L"旧压缩", L"AutoInstall", L""), L"old\\zip.exe /S");
        EXPECT_EQ(profile.GetString(L"Type", L"Sort2", L""), L"tools");
        EXPECT_EQ(profile.GetString(L"tools.List", L"List1", L""), L"viewer");
        EXPECT_EQ(profile.GetString(L"tools.List", L"List2", L""), L"");
    }

    ASSERT_TRUE(::DeleteFileW((m_disc / L"old\\zip.exe").c_str()));
    const ScanRun replaced = Scan(L"--force --title 新光盘");
    EXPECT_EQ(replaced.exitCode, 0u);
    CatalogueSettings settings;
    Load(settings);
    EXPECT_EQ(settings.TitleText, L"新光盘");
    EXPECT_EQ(settings.Categories[0].Name, L"tools");
    EXPECT_EQ(settings.Categories[0].Entries[0]->Name, L"viewer");
    EXPECT_EQ(settings.Categories[0].Entries[1]->Name, L"极速压缩");
    EXPECT_TRUE(settings.Categories[1].Name.empty());
}

TEST_F(Scanner, QuillsetShowsTheWrittenCatalogueAndItsNsisEntryInstallsSilently)
{
    Put(L"压缩\\zip setup.exe", SampleBytes(L"zip64.exe"));
    const std::wstring exe = CopyProgramTo(m_disc, L"Quillset.exe");
    ASSERT_EQ(Scan(L"--title 扫描光盘").exitCode, 0u);

    {
        RunningProgram program(exe, m_disc.Path());
        ASSERT_TRUE(program.Started());
        HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        EXPECT_EQ(Caption(hMain), L"扫描光盘");
        // The category 压缩 in the pane, its header row and its entry.
        EXPECT_EQ(::SendMessageW(::GetDlgItem(hMain, 1000), LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(::SendMessageW(::GetDlgItem(hMain, 1007), LVM_GETITEMCOUNT, 0, 0), 2);
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 0;
        EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
    }

    CatalogueSettings settings;
    Load(settings);
    ASSERT_NE(settings.Categories[0].Entries, nullptr);
    CShell shell(settings.Categories[0].Entries[0]->AutoInstall, L"");
    ASSERT_EQ(shell.m_bFound, 1);
    ASSERT_NE(shell.Run(true), nullptr);
    EXPECT_EQ(ReadFile(m_disc / L"压缩\\installed\\QuickZip\\readme.txt"), "Installed by a test installer.\r\n");
}

// Each folder holds setup.exe and, where the builder writes, a technician's
// own icon or a link to elsewhere\victim.txt (planted by the
// scan_planted_links entry: Wine here makes no links itself).
TEST_F(Scanner, NeverWritesOverAFileItDidNotWriteNorThroughALink)
{
    const std::wstring planted = ProgramFolder() + L"planted-links\\";
    const std::string victim = ReadFile(planted + L"elsewhere\\victim.txt");
    Put(L"icons\\setup.ico", "the technician's own icon");
    const struct {
        std::wstring folder;
        const wchar_t* arguments;
        const wchar_t* output;
        const wchar_t* iconPath; // null: nothing written
    } cases[] = {
        {m_disc.Path(), L"", L"Wrote ", L"icons\\setup-2.ico"},
        {planted + L"linked-ini", L"--force", L"Wrote ", L"icons\\setup.ico"},
        {planted + L"linked-icon", L"", L"Wrote ", L"icons\\setup-2.ico"},
        {planted + L"linked-icons", L"", L"icons is a symbolic link or junction; nothing written", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.folder));
        WriteFile(c.folder + L"\\setup.exe", SampleBytes(L"zip64.exe"));
        const ScanRun run = ScanFolder(c.folder, c.arguments);
        EXPECT_EQ(run.exitCode, c.iconPath ? 0u : 1u);
        EXPECT_NE(run.output.find(c.output), std::wstring::npos) << ToUtf8(run.output);
        CatalogueSettings settings;
        ReadCatalogue(settings, CIniProfile(c.folder + L"\\Quillset.INI"), c.folder + L"\\");
        EXPECT_EQ(settings.Categories[0].Entries ? settings.Categories[0].Entries[0]->IconPath : L"",
                  c.iconPath ? c.folder + L"\\" + c.iconPath : L"");
    }
    EXPECT_EQ(ReadFile(m_disc / L"icons\\setup.ico"), "the technician's own icon");
    EXPECT_EQ(ReadFile(planted + L"elsewhere\\victim.txt"), victim);
    EXPECT_EQ(::GetFileAttributesW((planted + L"elsewhere\\setup.ico").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The icon folder is swapped for a link from the Linux side once the scan
// holds it (as anyone who may write the disc folder could while a scan of
// thousands of installers runs): no icon lands in the link's target.
TEST_F(Scanner, IconsGoOnlyIntoTheIconFolderHeldFromTheScansStart)
{
    Put(L"setup.exe", SampleBytes(L"zip64.exe"));
    Put(L"工具\\viewer.exe", SampleBytes(L"zip64.exe"));
    Put(L"icons\\own.ico", "the technician's own icon");
    const TempDir elsewhere;
    WriteFile(elsewhere / L"victim.txt", "victim");
    const std::wstring folder = m_disc.Path() + L"\\";
    CHeldFolder icons;
    ASSERT_TRUE(icons.Hold(folder + kIconFolder, false));
    std::vector<FoundInstaller> installers = ScanDisc(folder, {});
    ASSERT_TRUE(SwapForLink(m_disc / kIconFolder, elsewhere.Path()));
    CCatalogueDraft draft;
    EXPECT_EQ(AddInstallers(draft, folder, installers, icons), 2u);

    WIN32_FIND_DATAW data{};
    std::vector<std::wstring> names;
    const CFindHandle find(::FindFirstFileW((elsewhere / L"*").c_str(), &data));
    for (bool bMore = static_cast<bool>(find); bMore; bMore = ::FindNextFileW(find.Get(), &data))
        names.emplace_back(data.cFileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"victim.txt"}));
    EXPECT_EQ(ReadFile(elsewhere / L"victim.txt"), "victim");
    EXPECT_EQ(ReadFile(m_disc / L"icons-moved\\own.ico"), "the technician's own icon");
    // The entries name no icon that was not written.
    const std::string utf16 = ToUtf16LeWithBom(L"IconPath").substr(2);
    EXPECT_EQ(draft.FileBytes().find(utf16), std::string::npos);
}

// Run by the scan_tests_root_drive entry, which presents a folder as drive R:.
TEST_F(Scanner, AtADrivesRootMergeKnowsEntriesNamingTheDriveAndPrintsItsPath)
{
    if (!::GetEnvironmentVariableW(L"QUILLSET_ROOT_DRIVE", nullptr, 0))
        GTEST_SKIP() << "run by the scan_tests_root_drive entry";
    WriteFile(L"R:\\工具\\tool-setup.exe", SampleBytes(L"zip64.exe"));
    WriteFile(L"R:\\Quillset.INI", ToUtf16LeWithBom(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=Tool\r\n[Tool]\r\n"
                                                    L"ManualInstall=R:\\工具\\tool-setup.exe\r\n"));
    for (const wchar_t* folder : {L"R:\\", L"R:"}) {
        const ScanRun run = ScanFolder(folder, L"--merge");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_NE(run.output.find(L"New entries: 0\nWrote R:\\Quillset.INI\n"), std::wstring::npos)
            << ToUtf8(run.output);
    }
}

// A block of a version resource: length, value length, type, key, value and
// children, each on a 4-byte boundary.
std::string VersionBlock(const std::wstring& key, uint16_t type, const std::string& value, size_t valueLength,
                         const std::vector<std::string>& children = {})
{
    auto align = [](std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t{3}, '\0'); };
    std::string block{'\0', '\0', static_cast<char>(valueLength & 0xFF), static_cast<char>(valueLength >> 8),
                      static_cast<char>(type), '\0'};
    block += ToUtf16LeWithBom(key + L'\0').substr(2);
    align(block);
    block += value;
    for (const std::string& child : children) {
        align(block);
        block += child;
    }
    block[0] = static_cast<char>(block.size() & 0xFF);
    block[1] = static_cast<char>(block.size() >> 8);
    return block;
}

TEST_F(Scanner, VersionTextsAreReadWholeAndAZeroFileVersionGivesWayToTheProductVersion)
{
    const struct {
        uint16_t type; // of the strings; their value length counts characters
        const wchar_t* fileVersion; // null: none in the resource
        const wchar_t* productVersion;
        const wchar_t* version;
    } cases[] = {
        {0, L"1.2.3.4", nullptr, L"1.2.3.4"}, {1, L"1.2.3.4", L"9.9", L"1.2.3.4"}, {1, L"0.0.0.0", L"2.3.4", L"2.3.4"},
        {0, L"", L"2.3.4", L"2.3.4"},         {1, nullptr, L"2.3.4", L"2.3.4"},    {1, L"0, 0, 0, 0", L"0.0.0.0", L""},
    };
    for (const auto& c : cases) {
        const std::wstring name = L"v" + std::to_wstring(&c - cases) + L".exe";
        SCOPED_TRACE(ToUtf8(name));
        std::vector<std::string> strings;
        const std::pair<const wchar_t*, const wchar_t*> texts[] = {
            {L"ProductName", L"Quill Zip Deluxe"}, {L"FileVersion", c.fileVersion}, {L"ProductVersion", c.productVersion}};
        for (const auto& [key, text] : texts) {
            const std::wstring value = text ? std::wstring(text) + L'\0' : L"";
            if (text)
                strings.push_back(VersionBlock(key, c.type, ToUtf16LeWithBom(value).substr(2), value.size()));
        }
        const std::string resource = VersionBlock(
            L"VS_VERSION_INFO", 0, "\xBD\x04\xEF\xFE" + std::string(48, '\0'), 52,
            {VersionBlock(L"StringFileInfo", 1, "", 0, {VersionBlock(L"080404b0", 1, "", 0, strings)})});
        Put(name, SampleBytes(L"scan_sample_plain.exe"));
        const HANDLE update = ::BeginUpdateResourceW((m_disc / name).c_str(), FALSE);
        ASSERT_TRUE(update && ::UpdateResourceW(update, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), 0,
                                                const_cast<char*>(resource.data()), static_cast<DWORD>(resource.size())));
        ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
        const ProductInfo info = ReadProgramInfo(m_disc / name);
        EXPECT_EQ(info.name, L"Quill Zip Deluxe");
        EXPECT_EQ(info.version, c.version);
    }
}

// A hand-written catalogue that names a category twice in [Type] and starts
// install lines with quoted programs whose parameters end in a quote: a
// merge keeps every category once and every line whole, and the program
// then starts each installer with its parameters.
TEST_F(Scanner, AMergeKeepsCategoriesOnceAndQuotedInstallLinesWholeAndTheyInstall)
{
    for (const wchar_t* installer : {L"setup\\my app.exe", L"setup\\is setup.exe"})
        Put(installer, ReadFile(ProgramFolder() + L"demo_installer.exe"));
    const std::wstring exe = CopyProgramTo(m_disc, L"Quillset.exe");
    Put(L"Quillset.INI",
        ToUtf16LeWithBom(L"[Quillset.Sets]\r\n常用=引号;开关\r\n单个=\"开关\"\r\n"
                         L"[Type]\r\nSort1=甲\r\nSort2=乙\r\nSort3=甲\r\nSort4=乙\r\n[甲.List]\r\nList1=引号\r\n"
                         L"[乙.List]\r\nList1=开关\r\n[引号]\r\nWorkingDir=%CurrDir%\r\n"
                         L"AutoInstall=\"setup\\my app.exe\" /S /D=\"C:\\x y\"\r\n"
                         L"ManualInstall=\"setup\\my app.exe\"\r\nChecked=1\r\n[开关]\r\nWorkingDir=%CurrDir%\r\n"
                         L"AutoInstall=\"setup\\is setup.exe\" /s /v\"/qn\"\r\nManualInstall=setup\\is setup.exe\r\n"
                         L"Checked=1\r\n"));
    const ScanRun merged = Scan(L"--merge");
    ASSERT_EQ(merged.exitCode, 0u) << ToUtf8(merged.output);
    EXPECT_NE(merged.output.find(L"New entries: 0\n"), std::wstring::npos) << ToUtf8(merged.output);

    const CIniProfile profile(m_disc / L"Quillset.INI");
    const struct {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value; // as the file holds it
    } expected[] = {
        {L"Type", L"Sort1", L"甲"},
        {L"Type", L"Sort2", L"乙"},
        {L"Type", L"Sort3", L"<none>"},
        {L"甲.List", L"List2", L"<none>"},
        {L"乙.List", L"List2", L"<none>"},
        {L"引号", L"AutoInstall", L"\"setup\\my app.exe\" /S /D=\"C:\\x y\""},
        {L"开关", L"AutoInstall", L"\"setup\\is setup.exe\" /s /v\"/qn\""},
        // The saved selections stay, each as the program reads it.
        {L"Quillset.Sets", L"常用", L"引号;开关"},
        {L"Quillset.Sets", L"单个", L"开关"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(profile.GetRawString(e.section, e.key, L"<none>"), e.value) << ToUtf8(e.section) << "/" << ToUtf8(e.key);

    const std::wstring installLog = m_disc / L"install.log";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", installLog.c_str()));
    {
        RunningProgram program(exe, m_disc.Path(), L"/auto /quiet /select:@常用", m_disc / L"output.txt");
        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(60000, &exitCode));
        EXPECT_EQ(exitCode, 0u) << ReadFile(m_disc / L"output.txt");
    }
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    EXPECT_EQ(FromUtf8(ReadFile(installLog)),
              L"my app.exe|/S /D=\"C:\\x y\"\r\nis setup.exe|/s /v\"/qn\"\r\n");
}

// Real installers of the two kinds most discs carry, made by their own tools
// for 32-bit Windows: the program built here installs both unattended, in a
// batch from its window and from a row's "自动安装" link.
TEST_F(Scanner, QuillsetInstallsTheWrittenInnoSetupAndNsisEntriesUnattended)
{
    Put(L"工具\\notes setup.exe", SampleBytes(L"notes.exe"));
    Put(L"工具\\viewer32.exe", SampleBytes(L"viewer32.exe"));
    const std::wstring exe = CopyProgramTo(m_disc, L"Quillset.exe");
    const ScanRun run = Scan(L"");
    ASSERT_EQ(run.exitCode, 0u) << ToUtf8(run.output);
    for (const wchar_t* line : {L"Inno Setup: 1\n", L"NSIS: 1\n", L"New entries: 2\n"})
        EXPECT_NE(run.output.find(line), std::wstring::npos) << ToUtf8(line) << "\n" << ToUtf8(run.output);

    // Rows 1 and 2 of the all-software list, under the category's header.
    const struct {
        const wchar_t* name;
        const wchar_t* installer;
        const wchar_t* switches;
        const wchar_t* installed;
    } entries[] = {
        {L"viewer32", L"工具\\viewer32.exe", L"/S", L"工具\\installed\\Viewer\\readme.txt"},
        {L"速记本", L"工具\\notes setup.exe", L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP-",
         L"工具\\installed\\QuillNotes\\readme.txt"},
    };
    CatalogueSettings settings;
    Load(settings);
    const SoftwareCategory* category = FindCategory(settings, L"工具");
    ASSERT_TRUE(category && category->Entries);
    for (size_t i = 0; i < std::size(entries); ++i) {
        SCOPED_TRACE(ToUtf8(entries[i].name));
        EXPECT_EQ(category->Entries[i]->Name, entries[i].name);
        EXPECT_EQ(category->Entries[i]->AutoInstall, m_disc.Path() + L"\\" + entries[i].installer + L" " +
                                                        entries[i].switches);
    }
    const auto installed = [&] {
        for (const auto& e : entries) {
            if (ReadFile(m_disc / e.installed) != "Installed by a test installer.\r\n")
                return false;
        }
        return true;
    };
    const auto uninstall = [&] {
        for (const wchar_t* folder : {L"工具\\installed\\Viewer", L"工具\\installed\\QuillNotes"}) {
            ::DeleteFileW((m_disc / folder + L"\\readme.txt").c_str());
            ::RemoveDirectoryW((m_disc / folder).c_str());
        }
    };

    RunningProgram program(exe, m_disc.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    const auto middle = [&](UINT id) {
        RECT rc{};
        ::GetClientRect(::GetDlgItem(hMain, static_cast<int>(id)), &rc);
        return POINT{rc.right / 2, rc.bottom / 2};
    };
    // Everything selected, installed after the question is answered.
    const HWND hSelectAll = ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdSelectAll));
    const HWND hInstall = ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdInstall));
    ClickRemote(hSelectAll, middle(CQuillsetDlg::kIdSelectAll), false);
    ClickRemote(hInstall, middle(CQuillsetDlg::kIdInstall), true);
    const HWND hAsk = WaitForOwnedWindow(hMain, L"软件安装");
    ASSERT_NE(hAsk, nullptr);
    ::PostMessageW(hAsk, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hAsk); }));
    const HWND hDone = WaitForOwnedWindow(hMain, L"软件安装", 120000);
    ASSERT_NE(hDone, nullptr);
    EXPECT_TRUE(installed());
    ::PostMessageW(hDone, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));

    // Each again through its row's link: a batch of one, whose result is
    // told once its installer has ended.
    uninstall();
    const HWND hList = ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList));
    for (size_t i = 0; i < std::size(entries); ++i) {
        ClickRemote(hList, ProgramLinkPoints(hList, static_cast<int>(i) + 1)[2], true);
        const HWND hResult = WaitForOwnedWindow(hMain, L"自动安装", 120000);
        ASSERT_NE(hResult, nullptr);
        EXPECT_NE(MessageBoxText(hResult).find(L" 安装完毕!"), std::wstring::npos) << ToUtf8(MessageBoxText(hResult));
        EXPECT_FALSE(ReadFile(m_disc / entries[i].installed).empty());
        ::PostMessageW(hResult, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));
    }
    EXPECT_TRUE(installed());
    uninstall();

    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
