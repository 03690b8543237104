// The texts of a batch, and the parts of its work that need no window:
// the caption of an item, the destination of a copy, the final report.
#pragma once

#include "batch/batch_plan.h"
#include "platform/text.h"

#include <windows.h>

#include <string>
#include <vector>

enum BatchMode : int {
    kInstallBatch = 0,
    kSaveBatch = 1,
    // One item copied to the file m_strSavePath names; the caller reports.
    kSaveFileBatch = 2,
};

// The caption of a batch's message boxes: "软件安装" or, for either save, "保存安装包".
const wchar_t* BatchBoxCaption(int nMode) noexcept;

// "正在安装...12.5% " (install) or "正在保存...12.5% " (either save) and,
// once an item is under way (nItem counts from 1), which of how many it is
// and its NamedLine: "正在安装...33.3% (2/6) 极速压缩 | D:\setup\zip.exe".
std::wstring BatchCaption(int nMode, float fPercent, size_t nItem = 0, size_t nCount = 0,
                          const std::wstring& strName = {}, const std::wstring& strPath = {});

// The name a save batch gives the n-th file of one name (n >= 2), the way
// Explorer does: "D:\Packages\setup.exe" becomes "D:\Packages\setup (2).exe".
std::wstring NumberedName(const std::wstring& strPath, int n);

// Whether an installer that ended with this exit code did its work: 0, and
// 3010 and 1641 (done, a restart is needed or has been started).
bool InstallerSucceeded(DWORD dwExitCode) noexcept;

using platform_text::WindowsErrorText;

// What the report and the log say of an item whose file is no longer the
// one that was resolved and confirmed: it was neither started nor copied.
inline constexpr wchar_t kReplacedText[] = L"文件已被更换, 不是确认时的文件, 没有运行或复制";

// The words for an item's error: a refusal of the program's own
// (RefusalText), a file that is no longer the one resolved (kReplacedText),
// else WindowsErrorText.
std::wstring ItemErrorText(DWORD dwError);

// What an installer's exit code means, in words, for the codes of Windows
// Installer that installers commonly end with; empty for any other.
std::wstring ExitCodeMeaning(DWORD dwExitCode);

// What the batch did to an installer it ended (its time was up, or the
// user asked), and, for a package, that the Windows Installer service's
// work goes on; empty for one that ended by itself.
std::wstring EndedText(const LogItem& item);

// Why an item failed, as a report puts it after the item's path:
// "(文件没找到)", "(安装程序退出码 1603: 安装过程中发生严重错误)",
// "(安装程序退出码 5)", "(" kReplacedText ")" or
// "(Windows 错误 5: 拒绝访问)".
std::wstring FailureReason(const LogItem& item);

// A report or confirmation lists at most this many items, one a line, so
// that the box and its buttons stay on the screen.
inline constexpr size_t kMaxListedItems = 20;

// The items, each on a line of its own; past kMaxListedItems the first of
// them and a line "…… 等共 N " followed by strUnit.
std::wstring ListedLines(const std::vector<std::wstring>& items, const std::wstring& strUnit);

struct BatchReport {
    std::wstring strText;
    std::wstring strCaption;
    UINT nType = 0;
};

// What a save batch tells beside success and failure: a file that was
// already in the folder, one saved under another name than its own, one
// refused because a link stands in the way.
std::wstring NoteAlreadyThere(const std::wstring& strSource);
std::wstring NoteRenamed(const std::wstring& strSource, const std::wstring& strTarget);
std::wstring NoteFolderIsLink(const std::wstring& strTarget);

// Head the items a stop, or an installer's restart, left out in the report.
inline constexpr wchar_t kStoppedHeader[] = L"已按要求停止, 以下项目没有运行:\n";
inline constexpr wchar_t kRestartLeftOutHeader[] = L"安装程序已开始重新启动计算机, 以下项目没有运行:\n";

// An item as the technician knows it: its entry name, then its path (the
// path alone for an item without a name of its own).
std::wstring NamedLine(const std::wstring& strName, const std::wstring& strPath);

// The message that ends a batch: the success text, or the failed items one
// per line, each its NamedLine and why it failed, under a header that asks
// to check the paths when some item was not found (summary.bAnyNotFound)
// and to look at the reasons otherwise, and the items left out
// (summary.arrNotRun) under kStoppedHeader or kRestartLeftOutHeader (and,
// for a save batch, the folder they were to be saved in);
// then the notes, one per line, after a blank line; then the log file; then
// which installer has started a restart, or else the items that asked for
// a restart with the question whether to restart now (Yes and No).
BatchReport MakeBatchReport(int nMode, const std::vector<std::wstring>& arrFailedLines, const std::wstring& strSavePath,
                            const BatchSummary& summary, const std::vector<std::wstring>& arrNotes = {});

// The message that ends an install of one entry started from its row, under
// strCaption (the link's name): "压缩 安装完毕!" or, for a failure, the item's
// line and why it failed under a header that asks to check the path when
// its file was not found; then the log file and the restart, as
// MakeBatchReport tells them.
BatchReport MakeRowReport(const std::wstring& strCaption, const std::vector<std::wstring>& arrFailedLines,
                          const BatchSummary& summary);
