// The log of a batch: one UTF-8 text file per batch with the program's
// version, the catalogue, the machine, the start and end times and one line
// per item. A log that cannot be written never stops the batch: the batch
// goes on and the summary says so.
#pragma once

#include "batch/batch_plan.h"
#include "platform/handles.h"
#include "shell/held_folder.h"

#include <windows.h>

#include <string>
#include <vector>

// The machine's log folder, without a trailing backslash: for a run with
// administrator rights %SystemRoot%\Logs\Tovrin Quillset, where ordinary
// users create nothing; without them %LOCALAPPDATA%\Tovrin Quillset\logs.
std::wstring MachineLogFolder(bool bAdministrator);
// The machine's log folder of this run.
std::wstring DefaultLogFolder();
// Whether this process runs with administrator rights.
bool RunsWithAdministratorRights();
// Holds the machine's log folder, made when missing; the administrators'
// folder gets its own access list (SYSTEM and Administrators full control,
// Users read), whoever made it.
bool HoldMachineLogFolder(bool bAdministrator, CHeldFolder& folder);

// The name of a log started at st: "20261207-144425.log".
std::wstring LogFileName(const SYSTEMTIME& st);

// A log field as it is written: "%", "|", control characters and line
// separators as %XX (%uXXXX above U+00FF), so that a line splits at its
// "|" without doubt.
std::wstring EscapedLogField(const std::wstring& text);

// One item's line, its fields separated by " | ": the outcome, the entry's
// name, the catalogue's line, the file found, the drive a "cdrom:\" file
// came from, the parameters, the copy's target, the result and the time:
// "成功 | name | line | file | drive | parameters | target | 退出代码 0 | 1.2 秒".
// An item a stop left out reads "未运行 | ... | 批处理已按用户要求停止 | ",
// one left out after a started restart "... | 前面的安装程序已开始重新启动计算机 | ".
std::wstring LogItemLine(const LogItem& item);
// What an item's line says of it.
LoggedItem LoggedItemOf(const LogItem& item);

// A file a save copies beside an item's installer so that its folder works
// as a disc (an icon, a program, a file of the installer's folder, the
// program itself), or one it leaves out.
enum class ExtraOutcome { kCopied, kAlreadyThere, kLeftOut, kFailed };
struct LogExtra {
    ExtraOutcome outcome = ExtraOutcome::kCopied;
    // What it is to the disc ("图标"), and the entry or category it belongs to.
    std::wstring strKind;
    std::wstring strOwner;
    std::wstring strSource;
    std::wstring strTarget;
    std::wstring strNote;
};
// Its line, fields separated by " | " as an item's are, behind a mark no
// item's line starts with: "附加文件: 已复制 | 图标 | 极速压缩 | source |
// target | note".
std::wstring LogExtraLine(const LogExtra& extra);
// The items of a log, from its item lines (each split at its "|" and its
// fields decoded); other lines are passed over.
std::vector<LoggedItem> ReadLoggedItems(const std::wstring& text);

// The file in the machine's log folder that names the log of the last batch
// if an installer of it asked for a restart (3010, 1641), and is empty
// otherwise: every batch writes it as it ends.
inline constexpr wchar_t kRestartNoteName[] = L"restart.txt";
// The items of the last batch that asked for a restart, when the machine
// has started since that batch ended; empty otherwise. bootTime is when
// the machine last started (BootTime()).
std::vector<LoggedItem> ResultsAwaitingRestart(bool bAdministrator, const FILETIME& bootTime);
// When the machine last started.
FILETIME BootTime() noexcept;

// Every log is opened here: strLogFile (its folder made and held in folder,
// the file made new and moved onto its name, so that nothing standing
// there, a link included, is written through), or, when empty, a new file
// named by the time in the machine's log folder. strPath receives the file's
// path; null and dwError set when it cannot be opened.
CFileHandle OpenLogFile(const std::wstring& strLogFile, CHeldFolder& folder, std::wstring& strPath, DWORD& dwError);

// Writes a log for a command line that was refused: the program, the
// reason, the machine and the time. summary receives where the log is and
// whether it was written.
void LogRefusedCommandLine(const std::wstring& strLogFile, const std::wstring& strReason, BatchSummary& summary);

class CBatchLog {
public:
    // Opens the log and writes its head; nMode and strSavePath say what the
    // batch does.
    CBatchLog(const BatchOptions& options, int nMode, const std::wstring& strSavePath);
    CBatchLog(const CBatchLog&) = delete;
    CBatchLog& operator=(const CBatchLog&) = delete;

    // Writes an item's line at once, so the log holds every item that ended.
    void Item(const LogItem& item);
    // Writes a line for a file a save copies beside the installers, or a
    // line of its own (escaped as a field is).
    void Extra(const LogExtra& extra);
    void Note(const std::wstring& text);
    // Writes the end time and the counts (and why items did not run: a stop,
    // or summary.strRestartStarted), closes the file and tells the summary
    // where the log is and whether it was written whole.
    void Finish(BatchSummary& summary);

private:
    void Write(const std::wstring& text);

    // The log's folder, held while the batch runs.
    CHeldFolder m_folder;
    CFileHandle m_hFile;
    std::wstring m_strPath;
    DWORD m_dwError = 0;
    size_t m_nCounts[4] = {};
    size_t m_nExtraCounts[4] = {};
    std::vector<LoggedItem> m_items;
};
