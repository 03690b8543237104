#include "catalogue/detection_script.h"

namespace {

// The rules, as CInstalledSnapshot has them.
constexpr wchar_t kScriptRules[] = LR"PS(
$ErrorActionPreference = 'Stop'

# Versions compare part by part as numbers (x.y.z.w); a missing part is 0,
# a part counts by its leading digits.
function Compare-QuillsetVersion([string]$a, [string]$b) {
    $pa = $a -split '[.,]'
    $pb = $b -split '[.,]'
    for ($i = 0; $i -lt [Math]::Max($pa.Count, $pb.Count); $i++) {
        $x = if ($i -lt $pa.Count) { ($pa[$i].TrimStart(' ') -replace '^([0-9]*).*$', '$1').TrimStart('0') } else { '' }
        $y = if ($i -lt $pb.Count) { ($pb[$i].TrimStart(' ') -replace '^([0-9]*).*$', '$1').TrimStart('0') } else { '' }
        if ($x.Length -ne $y.Length) { return [Math]::Sign($x.Length - $y.Length) }
        $c = [string]::CompareOrdinal($x, $y)
        if ($c -ne 0) { return [Math]::Sign($c) }
    }
    return 0
}

# A DisplayName is the installed name, or starts with it followed by a blank
# and a version, ignoring case.
function Test-QuillsetName([string]$display, [string]$name) {
    if (-not $name -or $display.Length -lt $name.Length) { return $false }
    if (-not $display.StartsWith($name, [StringComparison]::OrdinalIgnoreCase)) { return $false }
    if ($display.Length -eq $name.Length) { return $true }
    return $display.Substring($name.Length) -cmatch '^ [vV]?(?>[0-9][0-9.]*)(?![\p{L}\p{Nd}])'
}

# The Uninstall entries of HKLM in both registry views and of HKCU.
function Get-QuillsetUninstall {
    $roots = @()
    if ([Environment]::Is64BitOperatingSystem) {
        $roots += [Microsoft.Win32.RegistryKey]::OpenBaseKey('LocalMachine', 'Registry64')
        $roots += [Microsoft.Win32.RegistryKey]::OpenBaseKey('LocalMachine', 'Registry32')
    } else {
        $roots += [Microsoft.Win32.RegistryKey]::OpenBaseKey('LocalMachine', 'Default')
    }
    $roots += [Microsoft.Win32.RegistryKey]::OpenBaseKey('CurrentUser', 'Default')
    # A key that cannot be read is left out, as the program leaves it out.
    foreach ($root in $roots) {
        try { $key = $root.OpenSubKey('Software\Microsoft\Windows\CurrentVersion\Uninstall') } catch { continue }
        if (-not $key) { continue }
        foreach ($sub in $key.GetSubKeyNames()) {
            try { $k = $key.OpenSubKey($sub) } catch { continue }
            if (-not $k) { continue }
            $n = $k.GetValue('DisplayName')
            $v = $k.GetValue('DisplayVersion')
            [pscustomobject]@{
                Key = $sub
                Name = $(if ($n -is [string]) { $n } else { '' })
                Version = $(if ($v -is [string]) { $v } else { '' })
            }
        }
    }
}

# The version installed ('' when not told), or $null when not installed.
function Get-QuillsetInstalled($entry, $programs, $msi) {
    if ($entry.ProductCode) {
        try {
            if ($msi -and $msi.ProductState($entry.ProductCode) -eq 5) {
                return [string]$msi.ProductInfo($entry.ProductCode, 'VersionString')
            }
        } catch { }
        return $null
    }
    if ($entry.UninstallKey) {
        $hits = @($programs | Where-Object { [string]::Equals($_.Key, $entry.UninstallKey, [StringComparison]::OrdinalIgnoreCase) })
    } elseif ($entry.InstalledName) {
        $hits = @($programs | Where-Object { Test-QuillsetName $_.Name $entry.InstalledName })
    } else {
        return $null
    }
    $best = $null
    foreach ($hit in $hits) {
        if ($null -eq $best -or $best -eq '' -or ($hit.Version -ne '' -and (Compare-QuillsetVersion $hit.Version $best) -gt 0)) {
            $best = $hit.Version
        }
    }
    return $best
}

$programs = @(Get-QuillsetUninstall)
$msi = $null
try { $msi = New-Object -ComObject WindowsInstaller.Installer } catch { }
$found = @()
foreach ($entry in $Entries) {
    $installed = Get-QuillsetInstalled $entry $programs $msi
    if ($null -eq $installed) { exit 1 }
    if ($entry.Version -and ($installed -eq '' -or (Compare-QuillsetVersion $installed $entry.Version) -lt 0)) { exit 1 }
    $found += ($entry.Name + ' ' + $installed).TrimEnd()
}
if ($found.Count -eq 0) { exit 1 }
Write-Output ('已安装: ' + ($found -join '; '))
exit 0
)PS";

bool IsPowerShellQuote(wchar_t c) noexcept
{
    return c == L'\'' || (c >= 0x2018 && c <= 0x201B);
}

} // namespace

std::wstring PowerShellQuoted(std::wstring_view text)
{
    std::wstring quoted = L"'";
    for (wchar_t c : text) {
        if (IsPowerShellQuote(c))
            quoted += c;
        quoted += c;
    }
    return quoted + L"'";
}

std::wstring DetectionScript(const std::vector<const SoftwareEntry*>& entries)
{
    std::wstring script = L"# Tovrin Quillset: whether these programs are installed at the disc's version or newer.\n"
                          L"# Ends with 0 and one line of output when every one is, else with 1 and no output.\n"
                          L"$Entries = @(\n";
    for (const SoftwareEntry* pEntry : entries) {
        script += L"    @{ Name = " + PowerShellQuoted(pEntry->Name) +
                  L"; ProductCode = " + PowerShellQuoted(pEntry->ProductCode) +
                  L"; UninstallKey = " + PowerShellQuoted(pEntry->UninstallKey) +
                  L"; InstalledName = " + PowerShellQuoted(pEntry->InstalledName) +
                  L"; Version = " + PowerShellQuoted(pEntry->Version) + L" }\n";
    }
    script += L")\n";
    script += kScriptRules;
    return script;
}
