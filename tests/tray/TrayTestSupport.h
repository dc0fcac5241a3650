#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "Forms.h"
#include "ImageList.h"
#include "Menus.h"
#include "TrayIcon.h"

// The three images of the tests' lists, in colours nothing else on the taskbar has.
constexpr COLORREF kImageColours[] = {RGB(255, 0, 255), RGB(0, 255, 0), RGB(0, 255, 255)};

TImageList* MakeImageList(TComponent* owner);

// A main form laid out like the program's: image list, tray menu, then the tray icon
// (shown, minimizing to the tray); Configure adds a test's own settings to the layout.
class TrayForm : public TForm {
public:
    explicit TrayForm(TComponent* owner);

    TImageList* Images;
    TPopupMenu* Menu;
    TMenuItem* About;
    TMenuItem* Exit;
    TTrayIcon* Tray;
    std::vector<std::string> Clicked;

    static std::function<void(TrayForm&)> Configure;
};

// Posts one shell callback to the shared tray window, as the shell does.
void SendTrayCallback(const TTrayIcon& icon, UINT code);
