// What the size column of an entry row says: the installer's size, or that
// its file is missing or cannot run on this Windows, whether the entry is on
// the machine already and at which version, and what the last batch did
// with it. Plain text, so that a screen reader reads it with the row.
#pragma once

#include "batch/batch_plan.h"
#include "catalogue/install_state.h"

#include <optional>
#include <string>

struct RowStatus {
    // Whether the installer has been looked at yet: until then the column
    // is blank.
    bool bRead = false;
    bool bFound = false;
    unsigned long long nSize = 0;
    // Whether the installer's program header lets it run on this Windows.
    bool bRunsHere = true;
    // Whether the machine has been asked yet, and what it said.
    bool bDetected = false;
    InstallStatus install;
    // What the last batch that took the entry did with it.
    std::optional<LoggedItem> lastResult;
};

// "1.50 MB" (not installed), "文件缺失", "需要 64 位 Windows", "已安装 2.3.4",
// "可更新 2.0 → 2.3.4"; after a batch its result first: "已完成", "失败 (退出代码
// 1603)" or "未运行", with the state behind a done one ("已完成, 已安装 2.3.4").
// An entry without an automatic install says so before its state ("无自动安装,
// 1.50 MB").
// entry is the row's catalogue entry (the version its installer brings).
std::wstring RowStatusText(const RowStatus& status, const SoftwareEntry& entry);

// Whether the entry starts unchecked whatever the catalogue says: it is
// installed at the disc's version or newer, or its installer cannot run here.
bool StartsUnchecked(const RowStatus& status) noexcept;
