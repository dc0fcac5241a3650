#include "Menus.h"

#include <algorithm>

#include "Text.h"

namespace {

std::vector<TMenuItem*>& AllItems()
{
    static std::vector<TMenuItem*> items;
    return items;
}

UINT NextFreeCommand()
{
    UINT command = 0xE000;
    for (TMenuItem* item : AllItems())
        command = std::max(command, item->Command() + 1);
    return command;
}

} // namespace

TMenuItem::TMenuItem(TComponent* owner, std::string caption, UINT command)
    : TComponent(owner), Caption(std::move(caption)), command_(command ? command : NextFreeCommand())
{
    AllItems().push_back(this);
}

TMenuItem::~TMenuItem() { std::erase(AllItems(), this); }

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(*this);
}

bool TMenuItem::DispatchCommand(UINT command)
{
    for (TMenuItem* item : AllItems())
        if (item->Command() == command && item->Caption != "-" && item->Visible && item->Enabled) {
            item->Click();
            return true;
        }
    return false;
}

TMenuItem* TPopupMenu::Add(const std::string& caption, UINT command)
{
    auto* item = new TMenuItem(this, caption, command);
    Items.push_back(item);
    return item;
}

void TPopupMenu::Popup(int x, int y, HWND window)
{
    if (OnPopup)
        OnPopup(*this);
    MenuHandle menu(CreatePopupMenu());
    for (TMenuItem* item : Items) {
        if (!item->Visible)
            continue;
        if (item->Caption == "-") {
            AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = (item->Checked ? MF_CHECKED : MF_UNCHECKED) | (item->Enabled ? MF_ENABLED : MF_GRAYED);
        AppendMenuW(menu.Get(), MF_STRING | state, item->Command(), Widen(item->Caption).c_str());
        if (item->Default)
            SetMenuDefaultItem(menu.Get(), item->Command(), FALSE);
    }
    TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
}
