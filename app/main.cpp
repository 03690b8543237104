#include "app/QuillsetApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    CQuillsetApp app;
    return app.Run(hInstance);
}
