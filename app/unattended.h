// The program started by a deployment tool: the command line's batch over
// the catalogue beside the program, run by the same batch code as the
// main window's, without the main window, confirmation or report.
#pragma once

#include "app/command_line.h"

#include <string>

// Runs what the command line asks for (the usage, a batch) or tells what is
// wrong with it; returns the process's exit code. Never restarts the
// machine: an installer's wish for a restart becomes exit code 3010.
int RunCommandLine(const CommandLine& commandLine);

// Writes text to whoever started the program: its redirected standard
// output, else the console it was started from. False when there is
// neither.
bool WriteToCaller(const std::wstring& text);
