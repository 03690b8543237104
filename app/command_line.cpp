#include "app/command_line.h"

#include "shell/path_resolution.h"

#include <windows.h>
#include <shellapi.h>

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

std::vector<std::wstring> Arguments(const std::wstring& strCommandLine)
{
    std::vector<std::wstring> args;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(strCommandLine.c_str(), &argc);
    for (int i = 1; argv && i < argc; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

CommandLine Bad(std::wstring strError)
{
    CommandLine result;
    result.kind = StartKind::BadCommandLine;
    result.strError = std::move(strError);
    return result;
}

} // namespace

CommandLine ParseCommandLine(const std::wstring& strCommandLine)
{
    const std::vector<std::wstring> args = Arguments(strCommandLine);
    CommandLine result;
    // A request for the usage wins over everything else given with it.
    for (const std::wstring& arg : args) {
        if (arg == L"/?" || arg == L"-?") {
            result.kind = StartKind::Usage;
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
        if (!seen.insert(name).second) {
            error = L"开关重复: " + arg;
            break;
        }
        if (name == L"auto" && !bValue) {
            bAuto = true;
        } else if (name == L"quiet" && !bValue) {
            result.bQuiet = true;
        } else if (name == L"save" && !value.empty()) {
            bSave = true;
            result.strSaveFolder = FullPathOrAsGiven(value);
        } else if (name == L"log" && !value.empty()) {
            result.strLogFile = FullPathOrAsGiven(value);
        } else if (name == L"select" && !value.empty()) {
            for (size_t at = 0; at <= value.size();) {
                size_t end = value.find(L';', at);
                if (end == std::wstring::npos)
                    end = value.size();
                std::wstring entry = Trimmed(value.substr(at, end - at));
                if (!entry.empty())
                    result.arrSelect.push_back(std::move(entry));
                at = end + 1;
            }
            if (result.arrSelect.empty()) {
                error = L"/select: 没有给出软件名称";
                break;
            }
        } else if (name == L"save" || name == L"log" || name == L"select") {
            error = L"/" + name + L": 后面缺少" + (name == L"save" ? L"文件夹" : name == L"log" ? L"文件" : L"软件名称") +
                    L": " + arg;
            break;
        } else {
            error = L"无法识别的开关: " + arg;
            break;
        }
    }
    // A refused line keeps the log it named, which is told why.
    const auto refused = [&result](std::wstring strError) {
        CommandLine bad = Bad(std::move(strError));
        bad.strLogFile = result.strLogFile;
        return bad;
    };
    if (!error.empty())
        return refused(error);
    if (bAuto && bSave)
        return refused(L"/auto 与 /save: 不能同时使用");
    if (!bAuto && !bSave) {
        if (!seen.empty())
            return refused(L"/select:、/quiet 和 /log: 只能与 /auto 或 /save: 一起使用");
        return result;
    }
    result.kind = bAuto ? StartKind::Install : StartKind::Save;
    return result;
}

std::wstring UsageText()
{
    // Short lines: a message box wraps long ones, and no column lines up in
    // its proportional font.
    return L"用法: Quillset.exe /auto 或 /save:<文件夹> [其他开关]\n"
           L"\n"
           L"/auto: 无人值守安装勾选的软件 (Checked=1)\n"
           L"/save:<文件夹>: 把安装包复制到此文件夹\n"
           L"/select:<名称>;<名称>...: 改为处理所列的软件\n"
           L"/quiet: 不显示任何窗口\n"
           L"/log:<文件>: 日志写到此文件\n"
           L"/?: 显示本说明\n"
           L"\n"
           L"没有 /auto 或 /save: 时打开主窗口。\n"
           L"开关不区分大小写, 以 / 或 - 开头。\n"
           L"默认的日志位置:\n"
           L"管理员: %SystemRoot%\\Logs\\Tovrin Quillset\n"
           L"其他用户: %LOCALAPPDATA%\\Tovrin Quillset\\logs\n"
           L"\n"
           L"退出代码:\n"
           L"0 全部成功\n"
           L"3010 全部成功, 需要重新启动计算机\n"
           L"1603 至少一项失败, 或日志无法写入\n"
           L"87 命令行有误, 什么也没有做\n"
           L"2 程序旁边没有目录文件\n";
}
