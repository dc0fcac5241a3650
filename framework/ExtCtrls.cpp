#include "ExtCtrls.h"

#include "Application.h"
#include "Exception.h"
#include "Text.h"

namespace {
const wchar_t* const kTimerClass = L"SorielTimer";
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.lpfnWndProc = &TTimer::WndProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTimerClass;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;
    window_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    // Without its window a timer would never tick, and nothing would say why.
    if (!window_)
        throw Exception("Nelze vytvořit časovač: " + SystemErrorMessage(GetLastError()));
    SetWindowLongPtrW(window_, GWLP_USERDATA, LONG_PTR(this));
    Update();
}

TTimer::~TTimer()
{
    KillTimer(window_, 1);
    DestroyWindow(window_);
}

void TTimer::SetInterval(unsigned milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::Update()
{
    KillTimer(window_, 1);
    if (enabled_ && interval_ != 0)
        SetTimer(window_, 1, interval_, nullptr);
}

LRESULT CALLBACK TTimer::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        // A tick whose handler is still running (an error box is open, say) is skipped,
        // so errors do not pile up one box on another.
        if (timer && timer->OnTimer && !timer->ticking_) {
            timer->ticking_ = true;
            try {
                timer->OnTimer(*timer);
            } catch (const std::exception& error) {
                if (Application)
                    Application->ShowException(error);
            }
            timer->ticking_ = false;
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
