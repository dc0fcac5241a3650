#pragma once
#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "ImageList.h"
#include "LatestItem.h"
#include "Menus.h"
#include "NewsLog.h"
#include "NewsPoller.h"
#include "NewsPresenter.h"
#include "RichEdit.h"
#include "SingleInstance.h"
#include "SlidePopup.h"
#include "SoundPlayer.h"
#include "Sources.h"
#include "StdCtrls.h"
#include "TrayIcon.h"
#include "VersionInfo.h"

// The program's one window: owns every component, runs start-up and shutdown, keeps the
// news log and the sound option, and serves the tray menu.
class TForm1 : public TForm, private NewsPresenterTarget {
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
    TImageList* ImageList;
    TTimer* Timer;
    TTimer* Timer1;
    TSlidePopup* popup;
    TPopupMenu* PopupMenu1;
    TMenuItem* Oprogramu1;
    TMenuItem* N1;
    TMenuItem* Soriel31;
    TMenuItem* Nastaktulnzprvu1;
    TMenuItem* Konec1;
    TTrayIcon* TrayIcon;
    TSingleInstance* SingleInstance1;
    TVersionInfo* verze;
    TSoundPlayer* wave;

    void FormCreate();
    void FormClose(TCloseAction& action);
    void TimerTimer();
    void Timer1Timer();
    void Nastaktulnzprvu1Click();
    void TrayIconDblClick();
    void TrayIconStartup(bool& showMainForm);
    void Oprogramu1Click();
    void Soriel31Click();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateComponents();
    std::wstring FilePath(const wchar_t* name) const;
    // The whole log to news.rtf, replacing the file at once; failures lose nothing of the box.
    void SaveNewsLog();
    // The announcement sound; the tick asks the sound option first.
    void zvuk();

    // What the presentation tick acts on.
    void SetIconIndex(int index) override;
    std::string DecodeText(const std::string& raw) override;
    void SetPopupTitle(const std::string& title) override;
    void SetPopupText(const std::string& text) override;
    bool LogHoldsLine(const std::string& line) override;
    void AppendLogEntry(const std::string& title, const std::string& text) override;
    void ShowPopup() override;
    bool SoundOn() override;
    void PlaySound() override;

    Sources sources_;
    std::unique_ptr<TNewsLog> newsLog_;
    TLatestItemState latest_;
    // Declared after the state it writes to, so that it goes first.
    std::unique_ptr<TSR> Worker;
};
