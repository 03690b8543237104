#include "app/command_line.h"

#include "catalogue/name_list.h"
#include "shell/path_resolution.h"
#include "shell/safe_copy.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace {

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool IsBlank(wchar_t c) noexcept
{
    return c == L' ' || c == L'\t';
}

// Whether a text can be a file or folder path. None holds a quote (under
// the argument rules a folder written "D:\pkg\" ends in one and takes the
// switches after it into its value), < > | ? *, a control character, or a
// colon anywhere but after a drive letter.
bool CanBePath(const std::wstring& path) noexcept
{
    for (size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 0x20 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'?' || c == L'*' ||
            (c == L':' && i != 1))
            return false;
    }
    return true;
}

// Whether a start of the command line, read as CreateProcess reads an
// unquoted program name, names the program's own file.
bool NamesProgram(const std::wstring& candidate, const std::wstring& strProgram)
{
    if (candidate.empty() || strProgram.empty())
        return false;
    if (SameFile(candidate, strProgram))
        return true;
    const size_t slash = candidate.find_last_of(L"\\/");
    const bool bExtension = candidate.find(L'.', slash == std::wstring::npos ? 0 : slash + 1) != std::wstring::npos;
    return !bExtension && SameFile(candidate + L".exe", strProgram);
}

// Where the arguments start: after the program's name.
size_t ArgumentsStart(const std::wstring& line, const std::wstring& strProgram)
{
    if (!line.empty() && line[0] == L'"') {
        const size_t close = line.find(L'"', 1);
        return close == std::wstring::npos ? line.size() : close + 1;
    }
    const auto firstBlank = static_cast<size_t>(std::find_if(line.begin(), line.end(), IsBlank) - line.begin());
    size_t found = std::wstring::npos;
    for (size_t end = firstBlank; end <= line.size(); ++end) {
        if (end < line.size() && !IsBlank(line[end]))
            continue;
        const std::wstring candidate = line.substr(0, end);
        // No longer start is a path once one holds what no path may.
        if (!CanBePath(candidate))
            break;
        if (NamesProgram(candidate, strProgram))
            found = end;
    }
    return found == std::wstring::npos ? firstBlank : found;
}

// The arguments after the program's name, split by the usual rules.
std::vector<std::wstring> Arguments(const std::wstring& rest)
{
    std::vector<std::wstring> args;
    int argc = 0;
    // The first argument is read by other rules: a stand-in takes its place.
    const std::wstring line = L"x " + rest;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &argc);
    for (int i = 1; argv && i < argc; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

// Whether /quiet (or -quiet) is written anywhere in the text, inside a
// value too: at its start or after a blank or a quote, and not followed by
// a letter or digit.
bool WritesQuiet(const std::wstring& text)
{
    const std::wstring lower = Lower(text);
    for (size_t at = lower.find(L"quiet"); at != std::wstring::npos; at = lower.find(L"quiet", at + 1)) {
        if (at == 0 || (lower[at - 1] != L'/' && lower[at - 1] != L'-'))
            continue;
        const bool bStart = at == 1 || IsBlank(lower[at - 2]) || lower[at - 2] == L'"';
        const bool bEnd = at + 5 == lower.size() || !std::iswalnum(lower[at + 5]);
        if (bStart && bEnd)
            return true;
    }
    return false;
}

// A /timeout: value: whole seconds from 1 to kMaxTimeoutSeconds; 0 for
// anything else.
unsigned TimeoutSeconds(const std::wstring& value)
{
    if (value.empty() || value.size() > 7)
        return 0;
    unsigned nSeconds = 0;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9')
            return 0;
        nSeconds = nSeconds * 10 + static_cast<unsigned>(c - L'0');
    }
    return nSeconds <= kMaxTimeoutSeconds ? nSeconds : 0;
}

CommandLine Bad(std::wstring strError, bool bQuiet)
{
    CommandLine result;
    result.kind = StartKind::BadCommandLine;
    result.strError = std::move(strError);
    result.bQuiet = bQuiet;
    return result;
}

} // namespace

CommandLine ParseCommandLine(const std::wstring& strCommandLine, const std::wstring& strProgram)
{
    const std::wstring rest = strCommandLine.substr(ArgumentsStart(strCommandLine, strProgram));
    const std::vector<std::wstring> args = Arguments(rest);
    // A line that is refused or asks for the usage never waits for input
    // when /quiet is written anywhere in it.
    const bool bQuietWritten = WritesQuiet(rest);
    CommandLine result;
    // A request for the usage wins over everything else given with it.
    for (const std::wstring& arg : args) {
        if (arg == L"/?" || arg == L"-?") {
            result.kind = StartKind::Usage;
            result.bQuiet = bQuietWritten;
            return result;
        }
    }
    std::set<std::wstring> seen;
    bool bAuto = false;
    bool bSave = false;
    std::wstring error;
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) {
            error = L"无法识别的参数: " + arg;
            break;
        }
        const size_t colon = arg.find(L':');
        const std::wstring name = Lower(arg.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1));
        const bool bValue = colon != std::wstring::npos;
        const std::wstring value = bValue ? Trimmed(arg.substr(colon + 1)) : std::wstring();
        if (!seen.insert(name).second && name != L"select") {
            error = L"开关重复: " + arg;
            break;
        }
        const bool bPathValue = name == L"save" || name == L"log" || name == L"detectscript";
        if (bPathValue && !value.empty() && !CanBePath(value)) {
            error = L"/" + name + L": 的值不能作为路径: " + arg;
            break;
        }
        if (name == L"auto" && !bValue) {
            bAuto = true;
        } else if (name == L"quiet" && !bValue) {
            result.bQuiet = true;
        } else if (name == L"anydrive" && !bValue) {
            result.bAnyDrive = true;
        } else if (name == L"reinstall" && !bValue) {
            result.bReinstall = true;
        } else if (name == L"check" && !bValue) {
            result.kind = StartKind::Check;
        } else if (name == L"detectscript" && !value.empty()) {
            result.kind = StartKind::DetectScript;
            result.strDetectScript = FullPathOrAsGiven(value);
        } else if (name == L"save" && !value.empty()) {
            bSave = true;
            result.strSaveFolder = FullPathOrAsGiven(value);
        } else if (name == L"log" && !value.empty()) {
            result.strLogFile = FullPathOrAsGiven(value);
        } else if (name == L"timeout" && bValue) {
            result.nTimeoutSeconds = TimeoutSeconds(value);
            if (!result.nTimeoutSeconds) {
                error = L"/timeout: 的值应为 1 到 " + std::to_wstring(kMaxTimeoutSeconds) + L" 之间的整秒数: " + arg;
                break;
            }
        } else if (name == L"select" && !value.empty()) {
            NameList list;
            if (!SplitNameList(value, list, error)) {
                error = L"/select: 中" + error + L": " + arg;
                break;
            }
            if (list.entries.empty() && list.sets.empty()) {
                error = L"/select: 没有给出软件名称: " + arg;
                break;
            }
            result.arrSelect.insert(result.arrSelect.end(), list.entries.begin(), list.entries.end());
            result.arrSets.insert(result.arrSets.end(), list.sets.begin(), list.sets.end());
        } else if (bPathValue || name == L"select") {
            error = L"/" + name + L": 后面缺少" + (name == L"save" ? L"文件夹" : name == L"select" ? L"软件名称" : L"文件") +
                    L": " + arg;
            break;
        } else {
            error = L"无法识别的开关: " + arg;
            break;
        }
    }
    // A refused line keeps the log it named, which is told why.
    const auto refused = [&result, bQuietWritten](std::wstring strError) {
        CommandLine bad = Bad(std::move(strError), bQuietWritten);
        bad.strLogFile = result.strLogFile;
        return bad;
    };
    if (!error.empty())
        return refused(error);
    const bool bDetect = result.kind == StartKind::Check || result.kind == StartKind::DetectScript;
    if (int(bAuto) + int(bSave) + int(seen.count(L"check")) + int(seen.count(L"detectscript")) > 1)
        return refused(L"/auto、/save:、/check 和 /detectscript: 只能用其中一个");
    if (bDetect) {
        for (const wchar_t* pszOther : {L"log", L"anydrive", L"reinstall", L"timeout"}) {
            if (seen.count(pszOther))
                return refused(L"/check 和 /detectscript: 只能与 /select: 和 /quiet 一起使用");
        }
        return result;
    }
    if (result.bReinstall && !bAuto)
        return refused(L"/reinstall 只能与 /auto 一起使用");
    if (result.nTimeoutSeconds && !bAuto)
        return refused(L"/timeout: 只能与 /auto 一起使用");
    if (!bAuto && !bSave) {
        if (!seen.empty())
            return refused(L"/select:、/quiet、/log:、/anydrive 和 /timeout: 只能与 /auto、/save:、/check 或 /detectscript: 一起使用");
        return result;
    }
    result.kind = bAuto ? StartKind::Install : StartKind::Save;
    return result;
}

std::wstring UsageText()
{
    // Short lines: a message box wraps long ones, and no column lines up in
    // its proportional font.
    return L"用法: Quillset.exe /auto、/save:<文件夹>、\n"
           L"    /check 或 /detectscript:<文件> [其他开关]\n"
           L"\n"
           L"/auto: 无人值守安装勾选的软件 (Checked=1)\n"
           L"    已安装同一版本或更新版本的软件跳过\n"
           L"/reinstall: 与 /auto 一起: 已安装的也安装\n"
           L"/save:<文件夹>: 把安装包复制到此文件夹, 连同图标、\n"
           L"    目录文件和本程序: 这个文件夹可以当作光盘使用\n"
           L"/check: 所选软件都已安装 (同一版本或更新) 时\n"
           L"    输出一行, 以 0 退出; 否则什么也不输出, 以 1 退出\n"
           L"/detectscript:<文件>: 为所选软件写一个\n"
           L"    独立的 PowerShell 检测脚本\n"
           L"/select:<名称>;<名称>...: 改为处理所列的软件\n"
           L"    可以多次给出; 名称中的 ; 写作 ;;\n"
           L"    @<选择集>: 目录 [Quillset.Sets] 中保存的选择集\n"
           L"    以 @ 开头的软件名称写作 @@\n"
           L"/quiet: 不显示任何窗口, 也不等待任何输入\n"
           L"/log:<文件>: 日志写到此文件\n"
           L"/anydrive: cdrom:\\ 的文件也可以取自其他光驱\n"
           L"  (默认只取本程序所在的光盘或文件夹中的)\n"
           L"/timeout:<秒>: 与 /auto 一起使用; 安装程序运行超过\n"
           L"    这么多秒即结束它及其启动的进程, 该项失败\n"
           L"/?: 显示本说明\n"
           L"\n"
           L"没有这四个开关时打开主窗口。\n"
           L"开关不区分大小写, 以 / 或 - 开头。\n"
           L"路径中不能有 \" < > | ? * 等字符。\n"
           L"用引号括起的路径不要以 \\ 结尾,\n"
           L"否则 \\\" 会让引号成为路径的一部分。\n"
           L"默认的日志位置:\n"
           L"管理员: %SystemRoot%\\Logs\\Tovrin Quillset\n"
           L"其他用户: %LOCALAPPDATA%\\Tovrin Quillset\\logs\n"
           L"\n"
           L"退出代码:\n"
           L"0 全部成功, 或没有勾选任何软件, 或都已安装\n"
           L"3010 全部成功, 需要重新启动计算机\n"
           L"1641 安装程序已开始重新启动计算机, 其后的项目没有运行\n"
           L"1603 至少一项失败 (包括超时被结束的), 日志 (检测脚本)\n"
           L"    无法写入, 保存文件夹不能使用, 或保存时\n"
           L"    有附加文件没有复制、目录文件无法写入\n"
           L"1618 本机已有另一个批处理在运行, 什么也没有做\n"
           L"1 /check: 所选软件不是都已安装\n"
           L"87 命令行有误 (包括目录中没有的软件或选择集),\n"
           L"    什么也没有做\n"
           L"2 程序旁边没有目录文件, 目录文件无法读取,\n"
           L"    或其中没有任何软件; 什么也没有做\n";
}
