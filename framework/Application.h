#pragma once
#include <windows.h>

#include <exception>
#include <string>

#include "Component.h"

class TForm;

// The running program: its title on a hidden application window (which owns the forms and
// carries the taskbar button), its main form, the message loop and the error report.
class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    HWND Handle() const { return handle_; }
    std::string Title() const { return title_; }
    void SetTitle(const std::string& title);

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    bool ShowMainForm = true;

    // Creates a form owned by the application: its layout, then Loaded, then its creation
    // handler. The first form created becomes the main form.
    template <typename Form>
    Form* CreateForm()
    {
        auto* form = new Form(this);
        if (!mainForm_)
            mainForm_ = form;
        form->LoadedTree();
        form->DoCreate();
        return form;
    }

    // Shows the main form (when ShowMainForm) and handles messages until Terminate.
    void Run();
    void ProcessMessages();
    void Terminate();
    // A quit was asked for: the message loop ends at once.
    bool Terminated() const { return terminated_; }

    void Minimize();
    void Restore();

    // The general error report: a message box with the error's text.
    void ShowException(const std::exception& error);

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleMessage();
    // Translates and dispatches one message, after its form's keyboard navigation.
    static void Dispatch(MSG& message);

    HWND handle_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* Application;
