#include "app/QuillsetApp.h"
#include "platform/dll_search.h"
#include "platform/module_path.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    RestrictDllSearchToSystem();
    // Read before anything may change the current folder: relative paths
    // in switches are the caller's.
    CQuillsetApp app(ParseCommandLine(::GetCommandLineW(), RunningExecutablePath()));
    return app.Run(hInstance);
}
