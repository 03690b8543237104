#include "platform/web_link.h"

#include "platform/desktop_open.h"
#include "platform/system_dialogs.h"

bool OpenWebLink(const std::wstring& url)
{
    return !url.empty() && OpenAsDesktopUser(url, std::wstring(), std::wstring());
}

void OpenWebLinkOrSay(HWND hOwner, const std::wstring& url)
{
    if (!OpenWebLink(url))
        ShowMessageBox(hOwner, L"网页打开失败, 请在浏览器中访问:\n\n" + url, L"打开网页", MB_ICONEXCLAMATION);
}
