#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Component.h"
#include "Win32Handle.h"

// One command of a menu. Its command number is what the window receives in WM_COMMAND;
// give it a fixed one when others need to send the command.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner, std::string caption = {}, UINT command = 0);
    ~TMenuItem() override;

    std::string Caption; // "-" is a separator
    bool Default = false;
    // Shown with the menu's own check mark.
    bool Checked = false;
    // Not in the menu when false; shown but not chosen when disabled. Either way the item's
    // command number does not run it.
    bool Visible = true;
    bool Enabled = true;
    UINT Command() const { return command_; }
    std::function<void(TMenuItem&)> OnClick;

    void Click();
    // Runs the item with this command number, if there is one that may be chosen; true when found.
    static bool DispatchCommand(UINT command);

private:
    UINT command_;
};

// A menu shown at a screen point; its commands go to the window given.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}

    std::vector<TMenuItem*> Items;
    // False: the menu opens only when code calls Popup, never on its own from a right
    // click, and a double click does not run its default item.
    bool AutoPopup = true;
    TMenuItem* Add(const std::string& caption, UINT command = 0);
    // Just before the menu is shown: its items may change to how things are now.
    std::function<void(TPopupMenu&)> OnPopup;

    // Shows the menu and returns after the user chose or dismissed it; the chosen
    // command is posted to the window as WM_COMMAND.
    void Popup(int x, int y, HWND window);
};
