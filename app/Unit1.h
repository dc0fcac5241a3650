#pragma once
#include <memory>
#include <string>

#include "AUpdate.h"
#include "DataFolder.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImageList.h"
#include "IniFile.h"
#include "LatestItem.h"
#include "LinkLabels.h"
#include "Menus.h"
#include "MultiGradient.h"
#include "NewsLog.h"
#include "NewsLogFile.h"
#include "NewsPoller.h"
#include "NewsPresenter.h"
#include "PopupHoldRule.h"
#include "RichEdit.h"
#include "SingleInstance.h"
#include "SlidePopup.h"
#include "SoundPlayer.h"
#include "Sources.h"
#include "StdCtrls.h"
#include "TrayIcon.h"
#include "UpdateWatch.h"
#include "VersionInfo.h"

// The program's one window: owns every component, runs start-up and shutdown, keeps the
// news log and the sound option, and serves the tray menu.
class TForm1 : public TForm, private NewsPresenterTarget, private UpdateWatchHost {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Controls, in creation order.
    TMultiGradient* MultiGradient1 = nullptr;
    TShape* Shape2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLinkLabel* LinkLabel1 = nullptr;
    TLinkLabel* LinkLabel2 = nullptr;
    TLabel* Label4 = nullptr;
    TLinkLabel* LinkLabel3 = nullptr;
    TLinkLabel* LinkLabel4 = nullptr;
    TLinkLabel* LinkLabel5 = nullptr;
    TRichEdit* RichEdit = nullptr;
    // In the log's place while the log is being read into it.
    TRichEdit* RichEditNewest = nullptr;
    TCheckBox* CheckBox2 = nullptr;

    // Non-visual components.
    TImageList* ImageList = nullptr;
    TTimer* Timer = nullptr;
    TTimer* Timer1 = nullptr;
    // Reads the news log's lines, and once the window has been shown fills its box a piece
    // at a time, between other messages.
    TTimer* LogFill = nullptr;
    TSlidePopup* popup = nullptr;
    // Announces an update found while the program runs; a click on it carries it out.
    TSlidePopup* updatePopup = nullptr;
    // Looks for an update while the program runs, as often as main.ini says.
    TTimer* UpdateTimer = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Oprogramu1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* Soriel31 = nullptr;
    TMenuItem* Nastaktulnzprvu1 = nullptr;
    TMenuItem* Ztlumitnahodinu1 = nullptr;
    TMenuItem* Aktualizovat1 = nullptr;
    TMenuItem* Konec1 = nullptr;
    TTrayIcon* TrayIcon = nullptr;
    TAutoUpdate* AutoUpdate = nullptr;
    TSingleInstance* SingleInstance1 = nullptr;
    TVersionInfo* verze = nullptr;
    TSoundPlayer* wave = nullptr;

    void FormCreate();
    void FormClose(TCloseAction& action);
    void TimerTimer();
    void Timer1Timer();
    void Nastaktulnzprvu1Click();
    void Ztlumitnahodinu1Click();
    void Aktualizovat1Click();
    void TrayIconDblClick();
    void Konec1Click();
    void TrayIconStartup(bool& showMainForm);
    void AutoUpdateAppRestart(bool& allow);
    void Oprogramu1Click();
    void Soriel31Click();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateComponents();
    TRichEdit* NewLogBox();
    // A file of the program, beside main.exe.
    std::wstring FilePath(const wchar_t* name) const;
    // main.ini or news.rtf, in the data folder.
    std::wstring DataFilePath(const wchar_t* name) const { return dataFolder_ + name; }
    // The whole log to news.rtf, replacing the file at once; failures lose nothing of the box.
    void SaveNewsLog();
    // The sound option into main.ini; raises Exception when it cannot be written.
    void SaveSoundOption();
    void FillLogWhenNeeded();
    // The announcement sound; the tick asks the sound option first.
    void zvuk();
    // The menu's check mark and the tray tip as the quiet hour is now.
    void ShowQuietHour();

    // What the presentation tick acts on.
    void SetIconIndex(int index) override;
    std::string DecodeText(const std::string& raw) override;
    void SetPopupTitle(const std::string& title) override;
    void SetPopupText(const std::string& text) override;
    LocalTime Now() override;
    std::string FormatDay(int64_t day) override;
    std::vector<LogEntry> LastLogEntries() override;
    void AppendLogEntries(const std::vector<LogEntry>& entries) override;
    bool PopupsMustWait(bool askedFor) override;
    void ShowPopup() override;
    bool SoundOn() override;
    void PlaySound() override;

    // What the update watch asks; popups must wait as for the news.
    bool PopupsMustWait() override;
    bool NewsPopupShowing() override;
    bool NewsPopupWaiting() override;
    bool MainWindowActive() override;
    uint64_t IdleMs() override;
    unsigned long long DeliveredPolls() override;
    void ResumePolls() override;

    // Beside the program, or per user when the program folder cannot be written.
    const std::wstring dataFolder_ = DataFolder();
    // main.ini, read once at start for the addresses and the sound option, and written
    // through at close.
    TIniFile settings_;
    Sources sources_;
    std::unique_ptr<TNewsLog> newsLog_;
    std::unique_ptr<TNewsLogFile> newsLogFile_;
    bool logShown_ = false;
    // The start-up update run is under way: nothing of the window's state has been read yet.
    bool updating_ = false;
    const std::shared_ptr<TLatestItemState> latest_ = std::make_shared<TLatestItemState>();
    PresenterMemory presenterMemory_;
    // "Ztlumit na hodinu": no popups and sounds while it lasts; it ends with the program.
    QuietHour quiet_;
    // The tray tip while it lasts, with its end.
    std::string quietTip_;
    std::unique_ptr<TSR> Worker;
    // The page's validators and when the next poll is due.
    std::shared_ptr<TPollMemory> pollMemory_;
    // A poll given up on as hung, kept until its body ends.
    std::unique_ptr<TSR> abandonedWorker_;
    std::unique_ptr<TUpdateWatch> updateWatch_;
};
