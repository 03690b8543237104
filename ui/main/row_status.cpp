#include "ui/main/row_status.h"

#include "catalogue/catalogue.h"
#include "platform/text.h"
#include "ui/main/main_layout.h"

namespace {

std::wstring StateText(const RowStatus& status, const SoftwareEntry& entry)
{
    if (status.bDetected && status.install.state == InstallState::Current)
        return InstallStateText(entry, status.install);
    if (!status.bRead)
        return L"";
    if (!status.bFound)
        return L"文件缺失";
    if (!status.bRunsHere)
        return L"需要 64 位 Windows";
    if (status.bDetected && status.install.state == InstallState::Older)
        return InstallStateText(entry, status.install);
    return main_layout::SizeText(status.nSize);
}

} // namespace

std::wstring RowStatusText(const RowStatus& status, const SoftwareEntry& entry)
{
    std::wstring state = StateText(status, entry);
    // An entry with no unattended command is left out of automatic batches.
    if (!state.empty() && platform_text::TrimSpace(entry.AutoInstall).empty())
        state = L"无自动安装, " + state;
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
