// A stand-in for the program in single-instance tests: one guard on the application, then
// the message loop. Arguments: the title, and "minimized" or "shown" for how a first copy
// shows its application window. Exit code 2 means "ended as a second copy".
#include <windows.h>

#include <string>

#include "Application.h"
#include "SingleInstance.h"
#include "Text.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 1;
    TApplication application;
    application.SetTitle(Narrow(argv[1]));
    auto* guard = new TSingleInstance(&application);
    application.LoadedTree();
    if (!guard->IsSecondInstance()) {
        if (std::wstring(argv[2]) == L"minimized")
            application.Minimize();
        else
            ShowWindow(application.Handle(), SW_SHOWNOACTIVATE);
    }
    application.Run();
    return guard->IsSecondInstance() ? 2 : 0;
}
