// Where the running program lies.
#pragma once

#include <string>

// The full path of the running executable, however long; empty when the
// system does not give it whole.
std::wstring RunningExecutablePath();

// The folder of an executable's full path: everything up to and including
// its last backslash; empty when there is none.
std::wstring ExecutableFolder(const std::wstring& exePath);
