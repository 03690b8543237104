// The log of a batch: one UTF-8 text file per batch with the program's
// version, the catalogue, the machine, the start and end times and one line
// per item. A log that cannot be written never stops the batch: the batch
// goes on and the summary says so.
#pragma once

#include "batch/batch_plan.h"
#include "platform/handles.h"

#include <windows.h>

#include <string>

// %ProgramData%\Tovrin Quillset\logs, without a trailing backslash.
std::wstring DefaultLogFolder();

// The name of a log started at st: "20261207-144425.log".
std::wstring LogFileName(const SYSTEMTIME& st);

// Creates a folder and the folders above it that are missing; true when
// the folder is there afterwards (a link in the chain counts as missing).
bool CreateFolderPath(const std::wstring& strFolder);

// "成功 | name | work | 退出代码 0 | 1.2 秒"; a retried item tells its
// attempts; an item a stop left out reads "未运行 | name | work | 批处理已按用户要求停止",
// one left out after a started restart "... | 前面的安装程序已开始重新启动计算机".
// A "cdrom:\" item ends with " | 来自 E:\", where its file was found.
std::wstring LogItemLine(const LogItem& item);

class CBatchLog {
public:
    // Opens the log and writes its head; nMode and strSavePath say what the
    // batch does.
    CBatchLog(const BatchOptions& options, int nMode, const std::wstring& strSavePath);
    CBatchLog(const CBatchLog&) = delete;
    CBatchLog& operator=(const CBatchLog&) = delete;

    // Writes an item's line at once, so the log holds every item that ended.
    void Item(const LogItem& item);
    // Writes the end time and the counts (and why items did not run: a stop,
    // or summary.strRestartStarted), closes the file and tells the summary
    // where the log is and whether it was written whole.
    void Finish(BatchSummary& summary);

private:
    void Open(const std::wstring& strLogFile);
    void Write(const std::wstring& text);

    CFileHandle m_hFile;
    std::wstring m_strPath;
    DWORD m_dwError = 0;
    size_t m_nCounts[4] = {};
};
