#include "ui/main/row_status.h"

#include "ui/main/main_layout.h"

namespace {

std::wstring StateText(const RowStatus& status)
{
    if (status.bDetected && status.install.state == InstallState::Current)
        return status.install.strInstalled.empty() ? L"已安装" : L"已安装 " + status.install.strInstalled;
    if (!status.bRead)
        return L"";
    if (!status.bFound)
        return L"文件缺失";
    if (!status.bRunsHere)
        return L"需要 64 位 Windows";
    if (status.bDetected && status.install.state == InstallState::Older) {
        std::wstring text = L"可更新";
        if (!status.install.strInstalled.empty())
            text += L" " + status.install.strInstalled;
        if (!status.strDiscVersion.empty())
            text += L" → " + status.strDiscVersion;
        return text;
    }
    return main_layout::SizeText(status.nSize);
}

} // namespace

std::wstring RowStatusText(const RowStatus& status)
{
    const std::wstring state = StateText(status);
    if (!status.lastResult)
        return state;
    const LoggedItem& result = *status.lastResult;
    switch (result.outcome) {
    case ItemOutcome::Succeeded:
    case ItemOutcome::RestartNeeded: {
        std::wstring text = result.outcome == ItemOutcome::Succeeded ? L"已完成" : L"已完成, 需要重新启动";
        if (status.bDetected && status.install.state == InstallState::Current)
            text += L", " + state;
        return text;
    }
    case ItemOutcome::Failed:
        return L"失败 (" + result.strNote + L")";
    case ItemOutcome::NotRun:
    default:
        return L"未运行";
    }
}

bool StartsUnchecked(const RowStatus& status) noexcept
{
    return (status.bDetected && status.install.state == InstallState::Current) ||
           (status.bRead && status.bFound && !status.bRunsHere);
}
