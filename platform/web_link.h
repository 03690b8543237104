// Opening the program's web addresses (the homepage button, the About box's
// links) in the user's browser.
#pragma once

#include <windows.h>

#include <string>

// Opens url through the shell of the desktop, so that the browser runs with
// the desktop user's rights even while this program runs elevated; where
// the desktop's shell cannot be reached, through ShellExecuteExW. False when
// neither could open it.
bool OpenWebLink(const std::wstring& url);

// Opens url, and tells the user in a message box owned by hOwner when it
// could not be opened, so that a click never goes unanswered.
void OpenWebLinkOrSay(HWND hOwner, const std::wstring& url);
