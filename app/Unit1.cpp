#include "Unit1.h"

#include <ctime>

#include "AppPath.h"
#include "Application.h"
#include "DataFolder.h"
#include "DetachedSignature.h"
#include "LocalClock.h"
#include "Dpi.h"
#include "MenuCommands.h"
#include "NewsPopup.h"
#include "PopupHold.h"
#include "Text.h"
#include "TextDecoder.h"
#include "WebLink.h"

namespace {

const char* const kTitleFont = "Tahoma";
const char* const kWindowFont = "MS Sans Serif";
constexpr BYTE kCentralEuropean = EASTEUROPE_CHARSET;

template <typename Control>
Control* Place(Control* control, TWinControl* parent, int left, int top, int width, int height)
{
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
    return control;
}

// A link of the window: yellow and underlined, aqua once visited.
TLinkLabel* PlaceLink(TWinControl* parent, int left, int top, int width, int height, int fontHeight,
                      TFontStyles style)
{
    auto* link = Place(new TLinkLabel(parent), parent, left, top, width, height);
    link->Transparent = true;
    link->Font.Set(kWindowFont, fontHeight, clYellow, style | fsUnderline);
    link->SetUnvisitedColor(clYellow);
    link->SetVisitedColor(clAqua);
    return link;
}

// The quiet hour's clock: GetTickCount64 counts from the system's start and goes on through
// sleep and hibernation, so an hour slept through is over at the wake (QueryUnbiasedInterruptTime
// counts only the time awake and would stretch it); the wall clock can be set back or forward.
uint64_t QuietClockMs() { return GetTickCount64(); }

// The local time an hour from now, across a change of summer time too.
SYSTEMTIME LocalTimeInAnHour()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart += QuietHour::kLengthMs * 10000; // in 100-ns units
    const FILETIME later{time.LowPart, time.HighPart};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&later, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    return local;
}

} // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner), settings_(DataFilePath(L"main.ini"))
{
    Name = "Form1";
    SetCaption("Soriel online");
    BorderStyle = TBorderStyle::bsSingle;
    BorderIcons = biSystemMenu | biMinimize;
    Position = TPosition::poScreenCenter;
    Color = clBlack;
    Font.Set(kWindowFont, FontHeightForPoints(8), clWindowText);
    SetClientSize(458, 397);
    OnCreate = [this](TForm&) { FormCreate(); };
    OnClose = [this](TForm&, TCloseAction& action) { FormClose(action); };
    // Escape puts the window away into the tray, as minimizing does.
    OnEscape = [this](TForm&) { TrayIcon->HideApplication(); };

    sources_ = ReadSources([this](std::string_view key) { return settings_.Value("Sources", key); });

    CreateControls();
    CreateComponents();
}

// A poll still running is not waited for: the program ends at once, and the poll with it.
TForm1::~TForm1()
{
    AbandonWorker(Worker);
    AbandonWorker(abandonedWorker_);
}

std::wstring TForm1::FilePath(const wchar_t* name) const { return GetAppPath() + name; }

void TForm1::CreateControls()
{
    // The backdrop: black below, turning red and then yellow towards the top edge.
    MultiGradient1 = Place(new TMultiGradient(this), this, 0, 0, 458, 397);
    for (int slot = 0; slot < TGradient::kSlots; ++slot) {
        MultiGradient1->Gradient.SetActive(slot, true);
        MultiGradient1->Gradient.SetColor(slot, slot == 8 ? clRed : slot == 9 ? clYellow : clBlack);
    }
    MultiGradient1->Gradient.SetStyle(TGradientStyle::gsVertical_T);
    MultiGradient1->Gradient.SetRotation(100);

    Shape2 = Place(new TShape(this), this, 8, 72, 441, 281);
    Shape2->BrushColor = 0x333333;
    Shape2->BrushStyle = TBrushStyle::bsBDiagonal;
    Shape2->PenColor = clGray;

    Label1 = Place(new TLabel(this), this, 239, 33, 211, 39);
    Label1->Transparent = true;
    Label1->Font.Set(kTitleFont, FontHeightForPoints(24), clWhite, 0, kCentralEuropean);
    Label1->SetCaption("Soriel online");

    Label2 = Place(new TLabel(this), this, 169, 360, 279, 13);
    Label2->Transparent = true;
    Label2->Font.Set(kWindowFont, FontHeightForPoints(8), clWhite);
    Label2->SetCaption("Freeware © Soriel Soft, všechna práva vyhrazena");

    Label3 = Place(new TLabel(this), this, 8, 55, 125, 13);
    Label3->Transparent = true;
    Label3->Font.Set(kWindowFont, FontHeightForPoints(8), clWhite);
    Label3->SetCaption("On-line zpravodajství z vily");

    // The maker's link opens its caption, so the caption is the whole address.
    LinkLabel1 = PlaceLink(this, 335, 376, 113, 13, FontHeightForPoints(8), 0);
    LinkLabel1->SetCaption(sources_.MakerURL);

    LinkLabel2 = PlaceLink(this, 215, 376, 113, 13, FontHeightForPoints(8), 0);
    LinkLabel2->SetCaption("email: " + sources_.Email);
    LinkLabel2->URL = "mailto:" + sources_.Email;

    Label4 = Place(new TLabel(this), this, 104, 384, 32, 13);
    Label4->Color = clBlack;
    Label4->Font.Assign(Font);
    // Read, not seen: the window's text colour (black as Windows has it) on the black window,
    // and in high contrast the window's colour on the window.
    Label4->PlainColor = clWindow;
    Label4->SetCaption("Label4");

    LinkLabel3 = PlaceLink(this, 8, 3, 255, 16, FontHeightForPoints(10), fsBold);
    LinkLabel3->SetCaption("zdroj: " + DisplayAddress(sources_.SiteURL));
    LinkLabel3->URL = sources_.SiteURL;

    LinkLabel4 = PlaceLink(this, 8, 35, 151, 16, FontHeightForPoints(10), fsBold);
    LinkLabel4->SetCaption(DisplayAddress(sources_.PortalURL));
    LinkLabel4->URL = sources_.PortalURL;

    LinkLabel5 = PlaceLink(this, 8, 19, 140, 16, FontHeightForPoints(10), fsBold);
    LinkLabel5->SetCaption(DisplayAddress(sources_.BroadcasterURL));
    LinkLabel5->URL = sources_.BroadcasterURL;

    RichEdit = NewLogBox();
    RichEdit->Name = "RichEdit";
    RichEditNewest = NewLogBox();
    RichEditNewest->SetVisible(false);
    newsLog_ = std::make_unique<TNewsLog>(*RichEdit, *RichEditNewest);
    newsLogFile_ = std::make_unique<TNewsLogFile>(DataFilePath(L"news.rtf"), *newsLog_);

    CheckBox2 = new TCheckBox(this);
    CheckBox2->Name = "CheckBox2";
    CheckBox2->Color = clBlack;
    CheckBox2->Font.Set(kWindowFont, FontHeightForPoints(8), clWhite, fsBold);
    CheckBox2->SetCaption("Používat zvuky");
    CheckBox2->SetChecked(true);
    Place(CheckBox2, this, 8, 360, 129, 17);
}

TRichEdit* TForm1::NewLogBox()
{
    auto* box = new TRichEdit(this);
    box->ReadOnly = true;
    box->VerticalScrollBar = true;
    box->Border = false;
    box->Color = clBlack;
    box->Font.Set(kTitleFont, FontHeightForPoints(8), clWhite, fsBold, kCentralEuropean);
    return Place(box, this, 16, 80, 425, 265);
}

void TForm1::CreateComponents()
{
    // The tray images for fetch status 0 (no answer yet), 1 (fetched) and 2 (failed).
    ImageList = new TImageList(this, SmallIconSize(), SmallIconSize());
    ImageList->Name = "ImageList";
    for (const wchar_t* image : {L"STATUS0", L"STATUS1", L"STATUS2"})
        ImageList->AddResourceIcon(image);

    // Started with the first poll, so that no poll comes while the update run still works.
    Timer = new TTimer(this);
    Timer->SetEnabled(false);
    Timer->SetInterval(sources_.PollSeconds * 1000);
    Timer->OnTimer = [this](TTimer&) { TimerTimer(); };
    pollMemory_ = std::make_shared<TPollMemory>(sources_.PollSeconds * 1000);

    Timer1 = new TTimer(this);
    Timer1->SetEnabled(false);
    Timer1->SetInterval(2000);
    Timer1->OnTimer = [this](TTimer&) { Timer1Timer(); };

    LogFill = new TTimer(this);
    LogFill->SetEnabled(false);
    LogFill->SetInterval(10);
    LogFill->OnTimer = [this](TTimer&) {
        // Stopped before the work, so that a failing piece is not tried again and again.
        LogFill->SetEnabled(false);
        newsLogFile_->Read();
        if (logShown_ && newsLog_->FillStep())
            LogFill->SetEnabled(true);
    };

    popup = new TSlidePopup(this);
    ConfigureNewsPopup(*popup);
    // Its text leads to the news page; a click beside it, to the log.
    popup->URL = sources_.NewsURL;
    popup->OnClick = [this](TComponent&) { TrayIconDblClick(); };

    // Looks like the news popup; a left click anywhere on it is "Aktualizovat" and opens no address.
    updatePopup = new TSlidePopup(this);
    ConfigureNewsPopup(*updatePopup);
    updatePopup->Name = "updatePopup";
    updatePopup->Options = spAllowScroll | spCloseOnClick;
    updatePopup->OnClick = [this](TComponent&) { PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(cmdUpdate, 0), 0); };

    PopupMenu1 = new TPopupMenu(this);
    Oprogramu1 = PopupMenu1->Add("O programu", cmdAbout);
    N1 = PopupMenu1->Add("-");
    Soriel31 = PopupMenu1->Add("Soriel 3 - stránky", cmdSite);
    Nastaktulnzprvu1 = PopupMenu1->Add("Zobrazit aktuální zprávu", cmdCurrentNews);
    Ztlumitnahodinu1 = PopupMenu1->Add("Ztlumit na hodinu", cmdQuietHour);
    Aktualizovat1 = PopupMenu1->Add("Aktualizovat", cmdUpdate);
    Konec1 = PopupMenu1->Add("Konec", cmdExit);
    Oprogramu1->OnClick = [this](TMenuItem&) { Oprogramu1Click(); };
    Soriel31->OnClick = [this](TMenuItem&) { Soriel31Click(); };
    Nastaktulnzprvu1->OnClick = [this](TMenuItem&) { Nastaktulnzprvu1Click(); };
    Ztlumitnahodinu1->OnClick = [this](TMenuItem&) { Ztlumitnahodinu1Click(); };
    Aktualizovat1->OnClick = [this](TMenuItem&) { Aktualizovat1Click(); };
    Konec1->OnClick = [this](TMenuItem&) { Konec1Click(); };
    // The check mark as it is now, also when the hour ran out since the last tick.
    PopupMenu1->OnPopup = [this](TPopupMenu&) { ShowQuietHour(); };

    TrayIcon = new TTrayIcon(this);
    TrayIcon->Name = "TrayIcon";
    TrayIcon->SetIconList(ImageList);
    TrayIcon->SetCycleInterval(0);
    TrayIcon->SetHint("ZU3@VUVU");
    TIcon stored;
    stored.LoadFromResource(L"TRAYICON", SmallIconSize());
    TrayIcon->SetIcon(stored);
    // Status image 0 before the entry is added, so that the shell is asked once, not three times.
    TrayIcon->SetIconIndex(0);
    TrayIcon->SetIconVisible(true);
    TrayIcon->PopupMenu = PopupMenu1;
    TrayIcon->MinimizeToTray = true;
    TrayIcon->OnDblClick = [this](TTrayIcon&) { TrayIconDblClick(); };
    TrayIcon->OnStartup = [this](TTrayIcon&, bool& showMainForm) { TrayIconStartup(showMainForm); };

    AutoUpdate = new TAutoUpdate(this);
    AutoUpdate->Name = "AutoUpdate";
    AutoUpdate->UpdateType = TAutoUpdateType::httpUpdate;
    AutoUpdate->UpdateUpdate = TAutoUpdateUpdate::auuSilent;
    AutoUpdate->UpdateConnect = TAutoUpdateConnect::aucNoConnect;
    AutoUpdate->VersionCheck = TAutoUpdateVersionCheck::vcUpdateOnly;
    AutoUpdate->ExtractCAB = true;
    // The last update date and serial carried out, so that no update is carried out twice.
    AutoUpdate->LastURLEntry = {.Save = true, .Key = "Software\\Soriel online", .Section = "Update"};
    AutoUpdate->PostUpdateInfo.Server = HostAndPort(sources_.MakerURL);
    AutoUpdate->PostUpdateInfo.Action = "/asp/autoupdate.asp";
    AutoUpdate->PostUpdateInfo.Data = "program=Soriel%20online&version=" SORIEL_VERSION;
    AutoUpdate->PostUpdateInfo.Enabled = true;
    AutoUpdate->PublicKeys = BuiltInUpdatePublicKeys();
    AutoUpdate->SerialFloor = SORIEL_UPDATE_SERIAL_FLOOR;
    AutoUpdate->OnAppRestart = [this](TAutoUpdate&, bool& allow) { AutoUpdateAppRestart(allow); };

    UpdateWatchHost& watchHost = *this;
    const unsigned checkMinutes = UpdateCheckMinutesOf(settings_.Value("Settings", "UpdateCheckMinutes"));
    updateWatch_ = std::make_unique<TUpdateWatch>(*AutoUpdate, *updatePopup, *Aktualizovat1, watchHost, checkMinutes);
    UpdateTimer = new TTimer(this);
    UpdateTimer->SetEnabled(false);
    UpdateTimer->SetInterval(10000);
    UpdateTimer->OnTimer = [this](TTimer&) { updateWatch_->Tick(); };

    SingleInstance1 = new TSingleInstance(this);
    SingleInstance1->SwitchToPrevious = true;
    verze = new TVersionInfo(this);
    wave = new TSoundPlayer(this);
}

void TForm1::FormCreate()
{
    // The silent update check; whatever goes wrong in it, start-up goes on. A second copy
    // hands over to the first one before it: that copy updates.
    const int64_t updateStartedAt = int64_t(std::time(nullptr));
    if (!SingleInstance1->IsSecondInstance()) {
        updating_ = true;
        try {
            AutoUpdate->URL = sources_.UpdateURL;
            AutoUpdate->ProgramFolderWritable = IsProgramFolderWritable();
            AutoUpdate->RunUpdate();
        } catch (const std::exception&) {
        }
        updating_ = false;
    }
    // Closed while the update ran: the program ends without starting anything more.
    if (Application->Terminated())
        return;

    // The sound option; a missing or unusable value keeps the box as configured.
    CheckBox2->SetChecked(settings_.ReadBool("Settings", "Sound", CheckBox2->Checked()));

    // The news log: read in the first idle moment (or when needed sooner), its box filled
    // once the window is shown.
    newsLogFile_->Load();
    LogFill->SetEnabled(true);

    // A fresh latest-item state and a worker that has not run.
    latest_->Reset();
    CreateSuspendedWorker(Worker, latest_, sources_.NewsURL);

    // The version into the caption and the tray hint. Without it the caption stays plain:
    // the tick and the polls below must start all the same.
    try {
        verze->SetFileName(Narrow(FilePath(L"main.exe")));
        SetCaption("Soriel online " + verze->FileVersion());
    } catch (const std::exception&) {
    }
    // The tray tip: the caption, unless a quiet hour chosen meanwhile tells its end.
    ShowQuietHour();

    // The presentation tick.
    Timer1->SetEnabled(true);

    // The first poll, and the polls after it.
    TimerTimer();
    Timer->SetEnabled(true);

    // Updates while the program runs, unless main.ini asks for checks at start-up only.
    updateWatch_->StartupRunEnded(updateStartedAt);
    UpdateTimer->SetEnabled(updateWatch_->PeriodMinutes() > 0);
}

void TForm1::FormClose(TCloseAction&)
{
    // A second copy ends without touching the first copy's files; a close during the update
    // run stops the run, and nothing was read yet that could be saved.
    AutoUpdate->Cancel();
    if (SingleInstance1->IsSecondInstance() || updating_)
        return;
    // The error is reported, but the program still closes: a user must always be able
    // to end it, and the news log is still saved.
    try {
        SaveSoundOption();
    } catch (const std::exception& error) {
        Application->ShowException(error);
    }
    if (Worker)
        Worker->Terminate();
    SaveNewsLog();
}

void TForm1::SaveSoundOption() { settings_.WriteString("Settings", "Sound", CheckBox2->Checked() ? "1" : "0"); }

void TForm1::SaveNewsLog()
{
    newsLogFile_->Save();
    FillLogWhenNeeded();
}

void TForm1::FillLogWhenNeeded()
{
    if (!newsLog_->Filled())
        LogFill->SetEnabled(true);
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Windows may end the session without closing the window: the log and the sound option
    // are kept all the same. No message box now: the session is going.
    if (message == WM_ENDSESSION && wParam)
        AutoUpdate->Cancel();
    if (message == WM_ENDSESSION && wParam && !SingleInstance1->IsSecondInstance() && !updating_) {
        try {
            SaveSoundOption();
        } catch (const std::exception&) {
        }
        SaveNewsLog();
    }
    // The box is filled once the window is shown (a long log takes much memory in it); the
    // newest entries are there to be seen at once meanwhile.
    if (message == WM_SHOWWINDOW && wParam) {
        newsLogFile_->Read();
        newsLog_->PrepareShow();
        logShown_ = true;
        FillLogWhenNeeded();
    }
    // Awake again: the news is fetched within seconds, not after a period that began
    // before the sleep.
    if (message == WM_POWERBROADCAST && wParam == PBT_APMRESUMEAUTOMATIC) {
        pollMemory_->Resumed();
        updateWatch_->Resumed();
        TimerTimer();
    }
    return TForm::WndProc(message, wParam, lParam);
}

// Polls when one is due, and sets the timer for the next: a period on, or longer while the
// polls back off or the server asked for time.
void TForm1::TimerTimer()
{
    // No poll while the start-up run works, nor while a run the person asked for (or one that
    // went ahead by itself) carries out an update: an ask or a wake-up meanwhile is kept for
    // the first poll after it.
    if (updating_ || updateWatch_->WholeRunUnderWay())
        return;
    Timer->SetInterval(StartPollWhenDue(Worker, abandonedWorker_, latest_, sources_.NewsURL, pollMemory_));
}

void TForm1::Timer1Timer()
{
    // The hour ran out: its mark and tip go; the popup held for it comes in this tick.
    if (Ztlumitnahodinu1->Checked != quiet_.On(QuietClockMs()))
        ShowQuietHour();
    PresentLatestItem(*latest_, *this, presenterMemory_);
}

void TForm1::Nastaktulnzprvu1Click()
{
    ForgetLastShownItem(presenterMemory_);
    pollMemory_->Asked();
    TimerTimer();
}

void TForm1::Aktualizovat1Click() { updateWatch_->UpdateAsked(); }

void TForm1::Ztlumitnahodinu1Click()
{
    quiet_.Toggle(QuietClockMs());
    const SYSTEMTIME end = LocalTimeInAnHour();
    quietTip_ = QuietTipText(end.wHour, end.wMinute);
    ShowQuietHour();
}

void TForm1::ShowQuietHour()
{
    Ztlumitnahodinu1->Checked = quiet_.On(QuietClockMs());
    TrayIcon->SetHint(Ztlumitnahodinu1->Checked ? quietTip_ : Caption());
}

void TForm1::zvuk()
{
    wave->SoundFile = Narrow(FilePath(L"ticktock.wav"));
    wave->Play();
}

void TForm1::TrayIconDblClick() { BringToFront(); }

void TForm1::Konec1Click() { Close(); }

void TForm1::TrayIconStartup(bool& showMainForm) { showMainForm = false; }
void TForm1::AutoUpdateAppRestart(bool& allow)
{
    allow = true;
    // Handed over while the program runs: what a close keeps is kept first. At start-up
    // nothing has been read yet that could be saved.
    if (updating_)
        return;
    try {
        SaveSoundOption();
    } catch (const std::exception&) {
    }
    SaveNewsLog();
}
void TForm1::Oprogramu1Click() { OpenWebLink(sources_.MakerURL, Handle()); }
void TForm1::Soriel31Click() { OpenWebLink(sources_.SiteURL, Handle()); }

void TForm1::SetIconIndex(int index) { TrayIcon->SetIconIndex(index); }

std::string TForm1::DecodeText(const std::string& raw) { return ConvertText(raw); }
void TForm1::SetPopupTitle(const std::string& title) { popup->Title = title; }
void TForm1::SetPopupText(const std::string& text) { popup->Text = text; }
LocalTime TForm1::Now() { return LocalNow(); }
std::string TForm1::FormatDay(int64_t day) { return ShortDate(day); }

std::vector<LogEntry> TForm1::LastLogEntries()
{
    newsLogFile_->Read();
    return newsLog_->LastEntries();
}

void TForm1::AppendLogEntries(const std::vector<LogEntry>& entries)
{
    // Saved at once: announced items survive a crash or a killed process.
    newsLogFile_->AppendEntries(entries);
    FillLogWhenNeeded();
}

bool TForm1::PopupsMustWait(bool askedFor)
{
    PopupHoldFacts facts = ReadPopupHoldFacts();
    // What the person asked for comes despite the quiet they chose.
    if (!askedFor) {
        facts.quiet = quiet_;
        facts.nowMs = QuietClockMs();
    }
    return MustHoldPopups(facts);
}
void TForm1::ShowPopup() { popup->ShowNotification(); }
bool TForm1::SoundOn() { return CheckBox2->Checked(); }
void TForm1::PlaySound() { zvuk(); }

bool TForm1::PopupsMustWait() { return PopupsMustWait(false); }
bool TForm1::NewsPopupShowing() { return popup->OpenCount() > 0; }
bool TForm1::NewsPopupWaiting() { return presenterMemory_.pending.pending; }
bool TForm1::MainWindowActive() { return GetForegroundWindow() == Handle(); }
uint64_t TForm1::IdleMs()
{
    LASTINPUTINFO input{sizeof input};
    return GetLastInputInfo(&input) ? DWORD(GetTickCount() - input.dwTime) : 0;
}

unsigned long long TForm1::DeliveredPolls() { return pollMemory_->DeliveredPolls(); }
void TForm1::ResumePolls() { TimerTimer(); }
