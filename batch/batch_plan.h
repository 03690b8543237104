// What a batch needs beside its items, and what it leaves behind: the log,
// the items that asked for a restart, and the exit code a deployment tool
// reads from the command line's batch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct BatchOptions {
    // The catalogue the items come from, named in the log.
    std::wstring strCatalogue;
    // The log file; empty: a new file named by the start time in
    // DefaultLogFolder().
    std::wstring strLogFile;
    // Lines the log carries after its head: what the items do not tell (a
    // catalogue cut short, nothing selected, why nothing ran).
    std::vector<std::wstring> arrLogNotes;
    // Whether the batch ends with its report box (the window's batches).
    bool bReport = true;
    // Whether the progress window offers to stop the batch after the item
    // that is running (the main window's batches of several items); for a
    // batch of one, to end the installer that runs.
    bool bStoppable = false;
    // A batch of one started from a row's link: the link's name captions
    // its questions and its report, which tells of the one item. Empty for
    // any other batch.
    std::wstring strRowCaption;
    // An installer that ends with 1618 (another installation is running)
    // is started again after this wait, at most nBusyRetries times.
    int nBusyRetries = 3;
    DWORD dwBusyWaitMs = 20000;
    // How long an installer may run before it is ended with every process
    // it has started (the command line's /timeout:); INFINITE: no limit.
    DWORD dwItemTimeoutMs = INFINITE;
    // A deployment tool's run, which nobody watches: it opens no file that
    // is no program, and takes a "cdrom:\" file from another drive than the
    // program's own only when bAnyDrive allows it.
    bool bUnattended = false;
    bool bAnyDrive = false;
    // Whether a save batch makes its folder (and the folders above it)
    // when missing; the folder is held from the batch's start to its end.
    bool bMakeSaveFolder = false;
    // Called on the worker's thread as each item has ended and been logged,
    // with its index: where a test changes the world between two items.
    std::function<void(size_t)> onItemEnded;
};

// How an installer's process came to its end.
enum class InstallerEnd {
    kByItself,
    // Ended by the batch when its time was up, or at the user's request.
    kTimedOut,
    kEndedByUser,
    // The batch asked the system to end it, in vain (an installer with more
    // rights than the program): it may still run. The item's code is the
    // Windows error.
    kNotEnded,
};

enum class ItemOutcome {
    Succeeded,
    RestartNeeded,
    Failed,
    // Not started: the batch was stopped before it came to the item, or an
    // earlier installer has started a restart.
    NotRun,
};

// What became of one item, as the log tells it.
struct LogItem {
    std::wstring strName;
    // The catalogue's line as it stands, the file found for it (empty when
    // none was) and the drive a "cdrom:\" file was found on.
    std::wstring strLine;
    std::wstring strFile;
    std::wstring strDrive;
    // The parameters an installer was started with; the file a copy made.
    std::wstring strParameters;
    std::wstring strTarget;
    bool bCopy = false;
    // Whether the item's file was found at all.
    bool bFound = true;
    // The installer's exit code when bExitCode, else the Windows error (0:
    // the copy was made, or the shell started no process of its own).
    bool bExitCode = false;
    DWORD dwCode = 0;
    int nAttempts = 1;
    // Whether the batch ended the installer, and whether its work was the
    // Windows Installer service's, which ending msiexec leaves running.
    InstallerEnd end = InstallerEnd::kByItself;
    bool bWindowsInstaller = false;
    // Whether the installer ran in the batch's job object, so that ending
    // it ended the processes it had started too.
    bool bInJob = false;
    ULONGLONG nMilliseconds = 0;
    ItemOutcome outcome = ItemOutcome::Failed;
    // Not run because an earlier installer has started a restart (else the
    // user stopped the batch).
    bool bAfterRestart = false;
};

// What became of one item, as its log line tells it: the outcome, the
// entry's name, the catalogue's line and the note (the exit code, the
// Windows error, or why it was refused or left out).
struct LoggedItem {
    ItemOutcome outcome = ItemOutcome::Failed;
    std::wstring strName;
    std::wstring strLine;
    std::wstring strNote;
};

// Filled by the batch as it ends.
struct BatchSummary {
    // Every item as its log line tells it, in item order (also when the log
    // could not be written).
    std::vector<LoggedItem> arrItems;
    // The names of the items whose installers asked for a restart.
    std::vector<std::wstring> arrRestart;
    // The items a stop or a started restart left out, as the report names
    // them (entry name, then path), in item order.
    std::vector<std::wstring> arrNotRun;
    // The name of the item whose installer has started a restart (exit code
    // 1641); empty when none did. Nothing after it was started.
    std::wstring strRestartStarted;
    // Whether some failed item's file was not found: the report asks then
    // to check the items' paths.
    bool bAnyNotFound = false;
    // A save that makes its folder a disc: how many files it copied beside
    // the installers (icons, programs, files of the installers' folders,
    // the program itself), those it could not copy (each "kind | owner |
    // path (why)"), and the catalogue it wrote (empty: none) or, when it
    // could not, "path (why)".
    size_t nExtraCopied = 0;
    std::vector<std::wstring> arrExtraFailed;
    std::wstring strCatalogueWritten;
    std::wstring strCatalogueError;
    // The log file, written or not.
    std::wstring strLogFile;
    // 0 when the log was written whole; else the Windows error.
    DWORD dwLogError = 0;
};

// Exit codes of the command line, by the conventions of Windows Installer.
inline constexpr int kExitSuccess = ERROR_SUCCESS;                        // 0
inline constexpr int kExitRestartNeeded = ERROR_SUCCESS_REBOOT_REQUIRED;  // 3010
inline constexpr int kExitRestartStarted = ERROR_SUCCESS_REBOOT_INITIATED; // 1641
inline constexpr int kExitFailed = ERROR_INSTALL_FAILURE;                 // 1603
inline constexpr int kExitBusy = ERROR_INSTALL_ALREADY_RUNNING;           // 1618
inline constexpr int kExitBadCommandLine = ERROR_INVALID_PARAMETER;       // 87
inline constexpr int kExitNoCatalogue = ERROR_FILE_NOT_FOUND;             // 2
// /check: not every entry is installed at its version or newer.
inline constexpr int kExitNotInstalled = 1;

struct ResolvedItem;

// Starts the resolved installer in a job object of its own, waits for it
// and notes in item its exit code (or the Windows error), the attempts and
// the outcome. When options.dwItemTimeoutMs has passed, or hEndItem (an
// event; may be null) is set, the installer is ended with every process it
// has started, and the item fails as ended (unless it ended by itself in
// the meantime). Its file is
// checked and held before each start (CHeldFile): one that is no longer
// the file resolved is not started and fails with kErrorFileReplaced. 0 is
// a success, 3010 and 1641 a success that needs a restart (1641: the
// installer has started it), anything else a failure. One that ends with
// 1618 (another installation is running) is
// started again after options.dwBusyWaitMs, at most nBusyRetries times.
void RunInstaller(const ResolvedItem& resolved, const BatchOptions& options, HANDLE hEndItem, LogItem& item);

// The exit code of a batch: 1603 when an item failed, the log could not be
// written, or a save could not copy a file its disc needs or write its
// catalogue, else 1641 when an installer has started a restart, else 1603 when
// the user stopped the batch, else 3010 when an item asked for a restart,
// else 0.
int BatchExitCode(size_t nFailed, const BatchSummary& summary) noexcept;
