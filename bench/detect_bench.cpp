// Telling what is installed: a made-up machine of 500 installed programs
// (Uninstall entries in three views and Windows Installer products) against
// catalogues of 500 and 5,000 entries with every kind of key, and the read
// of this machine's own installed programs.
#include "bench/stopwatch.h"
#include "catalogue/install_state.h"
#include "shell/installed_programs.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Guid(int n)
{
    wchar_t text[39];
    std::swprintf(text, 39, L"{%08X-0000-4000-8000-%012X}", static_cast<unsigned>(n), static_cast<unsigned>(n));
    return text;
}

// 500 programs: 400 Uninstall entries spread over the views (names with a
// version behind them, as most programs write them) and 100 packages.
CInstalledSnapshot MadeUpMachine()
{
    std::vector<UninstallRecord> uninstall;
    std::vector<InstallerProduct> products;
    for (int i = 0; i < 400; ++i) {
        const std::wstring n = std::to_wstring(i);
        uninstall.push_back({static_cast<RegistryView>(i % 3), L"Program" + n + L"_is1",
                             L"\u8F6F\u4EF6 Program " + n + L" " + std::to_wstring(i % 7) + L".2.3 (x64)",
                             std::to_wstring(i % 7) + L".2.3"});
    }
    for (int i = 0; i < 100; ++i)
        products.push_back({Guid(i), L"3.1." + std::to_wstring(i)});
    return CInstalledSnapshot(std::move(uninstall), std::move(products));
}

// Entries asking by product code, by key and by name, a third of them for
// programs that are not there.
std::vector<SoftwareEntry> Catalogue(int count)
{
    std::vector<SoftwareEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        SoftwareEntry& entry = entries[static_cast<size_t>(i)];
        entry.Name = L"\u8F6F\u4EF6" + std::to_wstring(i);
        entry.Version = L"3.2.3";
        switch (i % 3) {
        case 0: entry.ProductCode = Guid(i % 150); break;
        case 1: entry.UninstallKey = L"program" + std::to_wstring(i % 600) + L"_IS1"; break;
        default: entry.InstalledName = L"\u8F6F\u4EF6 program " + std::to_wstring(i % 600); break;
        }
    }
    return entries;
}

} // namespace

int main()
{
    std::printf("Installed states: a made-up machine of 500 programs, catalogues of every kind of key.\n\n");
    std::printf("%8s | %14s %14s %12s | %s\n", "entries", "snapshot ms", "answers ms", "us/entry", "installed");
    for (int count : {500, 5000}) {
        const Stopwatch build;
        const CInstalledSnapshot snapshot = MadeUpMachine();
        const double buildMs = build.Milliseconds();
        const std::vector<SoftwareEntry> entries = Catalogue(count);
        std::vector<const SoftwareEntry*> pointers;
        for (const SoftwareEntry& entry : entries)
            pointers.push_back(&entry);
        const Stopwatch answer;
        const std::vector<InstallStatus> statuses = StatusesOf(snapshot, pointers);
        const double answerMs = answer.Milliseconds();
        int installed = 0;
        for (const InstallStatus& status : statuses)
            installed += status.state == InstallState::Current || status.state == InstallState::Older;
        std::printf("%8d | %14.2f %14.2f %12.2f | %d\n", count, buildMs, answerMs, answerMs * 1000.0 / count,
                    installed);
    }
    const Stopwatch read;
    const CInstalledSnapshot machine = ReadInstalledPrograms();
    std::printf("\nThis machine: %zu Uninstall entries and %zu installed packages read in %.1f ms.\n",
                machine.Uninstall().size(), machine.Products().size(), read.Milliseconds());
    return 0;
}
