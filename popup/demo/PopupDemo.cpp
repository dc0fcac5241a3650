// Shows one news popup as the notifier does and ends when it has gone.
// Optional argument: the popup's time-out in seconds instead of 25.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <ctime>

#include "Application.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "NewsPopup.h"

namespace {

int TimeOutArgument(int fallback)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int seconds = fallback;
    if (arguments && count > 1)
        seconds = int(std::wcstol(arguments[1], nullptr, 10));
    LocalFree(arguments);
    return seconds;
}

std::string TodayAt(const char* timeOfDay)
{
    std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof(date), "%d.%m.%Y", std::localtime(&now));
    return std::string(date) + " " + timeOfDay;
}

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent* owner) : TForm(owner)
    {
        popup = new TSlidePopup(this);
        ConfigureNewsPopup(*popup);
        popup->TimeOut = TimeOutArgument(popup->TimeOut);
        watch = new TTimer(this);
        watch->SetInterval(200);
        watch->SetEnabled(false);
        watch->OnTimer = [this](TTimer&) {
            if (popup->OpenCount() == 0)
                Application->Terminate();
        };
        OnCreate = [this](TForm&) {
            popup->Title = TodayAt("14:05");
            popup->Text = "Ve vile dnes večer proběhne hlasování o tom, kdo se v sobotu odstěhuje. "
                          "Přijďte se podívat na přímý přenos!";
            popup->ShowNotification();
            watch->SetEnabled(true);
        };
    }

    TSlidePopup* popup;
    TTimer* watch;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TApplication application;
    application.SetTitle("Soriel online");
    try {
        application.ShowMainForm = false;
        application.CreateForm<TDemoForm>();
        application.Run();
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
