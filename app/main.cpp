#include <windows.h>

#include "AppPath.h"
#include "Application.h"
#include "Unit1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before any library loads: only the system folder is searched, so a file planted
    // beside the program or in the current folder never runs as a system library.
    // orcoredll.dll, the one library of the program's own, is loaded by its full path.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Whatever folder started it (the logon's Run value starts it in the system folder), the
    // program works in its own, as after a double click in Explorer: the update's {APP},
    // temporary files, log and extractions land there.
    SetCurrentDirectoryW(GetAppPath().c_str());
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
