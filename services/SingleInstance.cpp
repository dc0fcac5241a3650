#include "SingleInstance.h"

#include "Application.h"
#include "Text.h"

namespace {
// Longer titles are cut: mutex names are limited to MAX_PATH characters.
constexpr size_t kMaxNameLength = 256;
} // namespace

TSingleInstance::TSingleInstance(TComponent* owner) : TComponent(owner) {}

void TSingleInstance::Loaded()
{
    TComponent::Loaded();
    std::wstring name = Widen(Application->Title()).substr(0, kMaxNameLength);
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    // Only an existing mutex means another copy. Any other failure leaves this copy
    // unguarded but running: ending silently would leave the user with no program at all.
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return;

    secondInstance_ = true;
    if (AlreadyExist)
        AlreadyExist(*this);
    if (SwitchToPrevious)
        BringPreviousForward(name);
    Application->ShowMainForm = false;
    Application->Terminate();
}

void TSingleInstance::BringPreviousForward(const std::wstring& title)
{
    // The first copy is found by its application window; this copy's own one drops its
    // title first so that the search cannot find it. Nothing here waits for the first
    // copy's answer: a hung first copy must not hang this one too.
    wchar_t className[256] = {};
    GetClassNameW(Application->Handle(), className, int(std::size(className)));
    SetWindowTextW(Application->Handle(), L"");
    HWND previous = FindWindowW(className, title.c_str());
    if (!previous)
        return;
    if (IsIconic(previous))
        ShowWindowAsync(previous, SW_RESTORE);
    else
        SetWindowPos(previous, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    SetForegroundWindow(previous);
}
