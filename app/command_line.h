// The program's switches, for deployment tools that start it unattended:
// /auto, /save:<folder>, /check, /detectscript:<file>, /select:<name>;@<set>...
// (given once or more), /quiet, /log:<file>, /anydrive, /reinstall,
// /timeout:<seconds> and /?, in any letter case, each with "/" or "-".
#pragma once

#include <string>
#include <vector>

enum class StartKind {
    Window,         // no switches: the main window
    Install,        // /auto
    Save,           // /save:<folder>
    Check,          // /check: whether the entries are installed at their versions
    DetectScript,   // /detectscript:<file>: a detection script for the entries
    Usage,          // /?
    BadCommandLine, // anything else that is wrong; nothing runs
};

struct CommandLine {
    StartKind kind = StartKind::Window;
    // The /save: folder, the /log: file and the /detectscript: file, as
    // full paths.
    std::wstring strSaveFolder;
    std::wstring strLogFile;
    std::wstring strDetectScript;
    // The /select: names, in the order given; empty: the checked entries.
    std::vector<std::wstring> arrSelect;
    // The saved selections /select:@<name> names, in the order given.
    std::vector<std::wstring> arrSets;
    // No window and nothing that waits for input: /quiet given, or, on a
    // line that is refused or asks for the usage, written anywhere in it.
    bool bQuiet = false;
    // /anydrive: "cdrom:\" files may come from other drives than the
    // program's own.
    bool bAnyDrive = false;
    // /reinstall: /auto installs entries already installed at their version
    // or newer too.
    bool bReinstall = false;
    // /timeout:<seconds> (with /auto): how long each installer may run
    // before it is ended; 0: no limit.
    unsigned nTimeoutSeconds = 0;
    // What is wrong with a bad command line, in the user's words.
    std::wstring strError;
};

// Reads a command line as the system hands it over, the program's own name
// first. strProgram is the running program's file; its name on the line is
// skipped as CreateProcess finds it: quoted, up to the closing quote;
// unquoted, the longest start of the line, ending before a blank, that
// names that file (as written, or with ".exe" added when it has no
// extension), else up to the first blank. Relative paths are taken from
// the current folder.
// The longest /timeout: allowed, in seconds: a week.
inline constexpr unsigned kMaxTimeoutSeconds = 7 * 24 * 3600;

CommandLine ParseCommandLine(const std::wstring& strCommandLine, const std::wstring& strProgram);

// The usage text that /? shows.
std::wstring UsageText();
