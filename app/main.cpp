#include <windows.h>

#include "Application.h"
#include "Unit1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TApplication application;
    // Set before the window exists: the single-instance guard names its mutex after it.
    application.SetTitle("Soriel online");
    try {
        application.CreateForm<TForm1>();
        application.Run();
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
