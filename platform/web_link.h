// Opening the program's web addresses (the homepage button, the About box's
// links) in the user's browser.
#pragma once

#include <windows.h>

#include <string>

// Opens url as the desktop's user opens it (OpenAsDesktopUser), so that the
// browser never runs with this program's rights. False when it was not
// opened.
bool OpenWebLink(const std::wstring& url);

// Opens url, and tells the user in a message box owned by hOwner when it
// could not be opened, so that a click never goes unanswered.
void OpenWebLinkOrSay(HWND hOwner, const std::wstring& url);
