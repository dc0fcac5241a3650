#include "Application.h"

#include "Forms.h"
#include "Text.h"

TApplication* Application = nullptr;

namespace {
const wchar_t* const kApplicationClass = L"SorielApplication";
}

TApplication::TApplication() : TComponent(nullptr)
{
    Application = this;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &TApplication::WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, L"MAINICON");
    windowClass.lpszClassName = kApplicationClass;
    RegisterClassExW(&windowClass);
    // Zero-sized but "shown": it is what the taskbar shows for the program.
    handle_ = CreateWindowExW(0, kApplicationClass, L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                  WS_MINIMIZEBOX, GetSystemMetrics(SM_CXSCREEN) / 2,
                              GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrW(handle_, GWLP_USERDATA, LONG_PTR(this));
}

TApplication::~TApplication()
{
    while (!Components().empty())
        delete Components().back();
    DestroyWindow(handle_);
    Application = nullptr;
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    SetWindowTextW(handle_, Widen(title).c_str());
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (application) {
        try {
            switch (message) {
            case WM_CLOSE:
                if (application->mainForm_)
                    application->mainForm_->Close();
                return 0;
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_RESTORE && IsIconic(window)) {
                    application->Restore();
                    return 0;
                }
                break;
            }
        } catch (const std::exception& error) {
            application->ShowException(error);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TApplication::Run()
{
    if (mainForm_ && ShowMainForm && !terminated_) {
        ShowWindow(handle_, SW_SHOWNOACTIVATE);
        mainForm_->Show();
    }
    while (!terminated_ && HandleMessage()) {
    }
}

bool TApplication::HandleMessage()
{
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
        terminated_ = true;
        return false;
    }
    Dispatch(message);
    return true;
}

void TApplication::Dispatch(MSG& message)
{
    if (message.message == WM_KEYDOWN) {
        auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(GetAncestor(message.hwnd, GA_ROOT)));
        if (form && form->DialogKey(message.wParam))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that is waiting for it, as well.
            terminated_ = true;
            PostQuitMessage(int(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Minimize() { ShowWindow(handle_, SW_MINIMIZE); }

void TApplication::Restore()
{
    ShowWindow(handle_, SW_RESTORE);
    if (mainForm_ && mainForm_->Visible())
        mainForm_->BringToFront();
}

void TApplication::ShowException(const std::exception& error)
{
    MessageBoxW(mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : handle_,
                Widen(error.what()).c_str(), Widen(title_).c_str(), MB_OK | MB_ICONERROR);
}
