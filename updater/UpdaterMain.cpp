#include <windows.h>

#include "Updater.h"

// No window and no report: the updater works quietly after the program has ended.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // It runs from the temporary folder, where others may put libraries: the system's only.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    RunUpdater(GetCommandLineW());
    return 0;
}
