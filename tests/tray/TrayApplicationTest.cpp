#include <gtest/gtest.h>

#include "Application.h"
#include "StdCtrls.h"
#include "TrayObserver.h"
#include "TrayTestSupport.h"
#include "Waiting.h"

namespace {

// Each test makes its own main form and leaves the application as it found it.
struct TrayApplication : ::testing::Test {
    void TearDown() override
    {
        TrayForm::Configure = nullptr;
        Application->ShowMainForm = true;
        ShowWindow(Application->Handle(), SW_HIDE);
    }
    // What Run does first.
    static void ShowAsRunDoes(TForm& form)
    {
        if (Application->ShowMainForm) {
            ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
            form.Show();
        }
    }
};

TEST_F(TrayApplication, StartupAnswerFalseKeepsTheMainFormHidden)
{
    int asked = 0;
    TrayForm::Configure = [&](TrayForm& form) {
        form.Tray->OnStartup = [&](TTrayIcon&, bool& showMainForm) {
            ++asked;
            showMainForm = false;
        };
    };
    auto* form = Application->CreateForm<TrayForm>();
    EXPECT_EQ(asked, 1) << "asked once its layout is loaded";
    EXPECT_FALSE(Application->ShowMainForm);
    ShowAsRunDoes(*form);
    PumpFor(100);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    EXPECT_TRUE(ShellHasIcon(form->Tray->TrayData().hWnd, form->Tray->IconId()));
    EXPECT_EQ(asked, 1) << "not a multiple-document frame: asked only once";
    delete form;
}

TEST_F(TrayApplication, WithoutStartupHandlerTheMainFormShows)
{
    auto* form = Application->CreateForm<TrayForm>();
    EXPECT_TRUE(Application->ShowMainForm);
    ShowAsRunDoes(*form);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }));
    delete form;
}

TEST_F(TrayApplication, MinimizingHidesTheApplicationAndShowingBringsItBack)
{
    auto* form = Application->CreateForm<TrayForm>();
    ShowAsRunDoes(*form);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }));

    // The title bar's minimize button.
    SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()) && !IsWindowVisible(Application->Handle()); }));
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(ShellHasIcon(form->Tray->TrayData().hWnd, form->Tray->IconId()));

    // What the double click on the icon does in the program.
    form->Show();
    form->BringToFront();
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) && IsWindowVisible(Application->Handle()); }));
    EXPECT_FALSE(IsIconic(Application->Handle()));
    delete form;
}

TEST_F(TrayApplication, ActivatedAgainTheFormGivesTheFocusBackToItsActiveControl)
{
    auto* form = Application->CreateForm<TrayForm>();
    auto* first = new TCheckBox(form);
    first->SetParent(form);
    auto* second = new TCheckBox(form);
    second->SetParent(form);
    second->SetBounds(0, 30, 100, 20);
    ShowAsRunDoes(*form);
    form->BringToFront();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    form->SetActiveControl(second);
    EXPECT_EQ(GetFocus(), second->Handle());

    auto* other = new TForm(Application);
    other->BringToFront();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == other->Handle(); }));
    SetFocus(other->Handle());
    form->BringToFront();
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    EXPECT_EQ(GetFocus(), second->Handle());
    EXPECT_EQ(form->ActiveControl(), second);

    // Focused by the user (a click, Tab): that control becomes the active one.
    SetFocus(first->Handle());
    EXPECT_EQ(form->ActiveControl(), first);
    delete other;
    delete form;
}

TEST_F(TrayApplication, MinimizingWithoutMinimizeToTrayKeepsTheTaskbarButton)
{
    TrayForm::Configure = [](TrayForm& form) { form.Tray->MinimizeToTray = false; };
    auto* form = Application->CreateForm<TrayForm>();
    ShowAsRunDoes(*form);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }));
    SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(Application->Handle()) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(Application->Handle()));
    Application->Restore();
    delete form;
}

TEST_F(TrayApplication, MultipleDocumentFrameIsAskedAgainWhenTheApplicationShows)
{
    int asked = 0;
    TrayForm::Configure = [&](TrayForm& form) {
        CLIENTCREATESTRUCT client{};
        CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD, 0, 0, 10, 10, form.Handle(), nullptr,
                        GetModuleHandleW(nullptr), &client);
        form.Tray->OnStartup = [&](TTrayIcon&, bool& showMainForm) {
            ++asked;
            showMainForm = asked == 1;
        };
    };
    auto* form = Application->CreateForm<TrayForm>();
    EXPECT_EQ(asked, 1);
    ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE); // how Run starts
    EXPECT_EQ(asked, 2) << "asked again at the application window's first move";
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));

    ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(asked, 2) << "only at the first one";
    delete form;
}

} // namespace
