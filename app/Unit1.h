#pragma once
#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "LatestItem.h"
#include "Menus.h"
#include "NewsPoller.h"
#include "RichEdit.h"
#include "Sources.h"
#include "StdCtrls.h"

// The program's one window: owns every component, runs start-up and shutdown, keeps the
// news log and the sound option, and serves the tray menu.
class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Controls, in creation order.
    TShape* Shape2;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* LinkLabel1;
    TLabel* LinkLabel2;
    TLabel* Label4;
    TLabel* LinkLabel3;
    TLabel* LinkLabel4;
    TLabel* LinkLabel5;
    TRichEdit* RichEdit;
    TCheckBox* CheckBox2;

    // Non-visual components.
    TTimer* Timer;
    TTimer* Timer1;
    TPopupMenu* PopupMenu1;
    TMenuItem* Oprogramu1;
    TMenuItem* N1;
    TMenuItem* Soriel31;
    TMenuItem* Nastaktulnzprvu1;
    TMenuItem* Konec1;

    void FormCreate();
    void FormClose(TCloseAction& action);
    void TimerTimer();

private:
    void CreateControls();
    void CreateComponents();
    std::wstring FilePath(const wchar_t* name) const;

    Sources sources_;
    TLatestItemState latest_;
    std::unique_ptr<TSR> Worker;
};
