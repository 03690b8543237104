#include "app/QuillsetApp.h"
#include "platform/dll_search.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    RestrictDllSearchToSystem();
    // Read before anything may change the current folder: relative paths
    // in switches are the caller's.
    CQuillsetApp app(ParseCommandLine(::GetCommandLineW()));
    return app.Run(hInstance);
}
