// The application object.
#pragma once

#include "app/command_line.h"
#include "platform/wnd.h"

#include <utility>

class CQuillsetApp : public CWinApp {
public:
    explicit CQuillsetApp(CommandLine commandLine) : m_commandLine(std::move(commandLine)) {}

    // Without switches: loads the catalogue and runs the main window
    // modally. With them: runs the command line's batch. Returns FALSE
    // either way, so the program ends with ExitInstance's code.
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    CommandLine m_commandLine;
    int m_nExitCode = 0;
};
