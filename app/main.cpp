#include "app/QuillsetApp.h"
#include "platform/dll_search.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    RestrictDllSearchToSystem();
    CQuillsetApp app;
    return app.Run(hInstance);
}
