#include "TrayTestSupport.h"

#include "TrayIconHandler.h"
#include "TrayObserver.h"

std::function<void(TrayForm&)> TrayForm::Configure;

TImageList* MakeImageList(TComponent* owner)
{
    auto* list = new TImageList(owner);
    for (COLORREF colour : kImageColours)
        list->AddIcon(SolidIcon(colour).Get());
    return list;
}

TrayForm::TrayForm(TComponent* owner) : TForm(owner)
{
    SetCaption("Tray test");
    BorderStyle = TBorderStyle::bsSingle;
    BorderIcons = biSystemMenu | biMinimize;
    SetClientSize(240, 120);
    Images = MakeImageList(this);
    Menu = new TPopupMenu(this);
    About = Menu->Add("O programu");
    Menu->Add("-");
    Menu->Add("Soriel 3 - stránky");
    Menu->Add("Zobrazit aktuální zprávu");
    Exit = Menu->Add("Konec");
    for (TMenuItem* item : Menu->Items)
        item->OnClick = [this](TMenuItem& item) { Clicked.push_back(item.Caption); };
    Tray = new TTrayIcon(this);
    Tray->SetIconList(Images);
    Tray->SetIconIndex(0);
    Tray->SetIconVisible(true);
    Tray->MinimizeToTray = true;
    Tray->PopupMenu = Menu;
    if (Configure)
        Configure(*this);
}

void SendTrayCallback(const TTrayIcon& icon, UINT code)
{
    PostMessageW(icon.TrayData().hWnd, TrayCallbackMessage, icon.IconId(), code);
}
