// The application object.
#pragma once

#include "platform/wnd.h"

class CQuillsetApp : public CWinApp {
public:
    // Loads the catalogue, runs the main window modally and returns FALSE,
    // so the program ends when the main window has closed.
    BOOL InitInstance() override;
};
