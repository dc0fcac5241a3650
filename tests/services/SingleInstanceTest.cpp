#include <gtest/gtest.h>

#include <string>

#include "AppPath.h"
#include "Application.h"
#include "SingleInstance.h"
#include "Text.h"
#include "Waiting.h"
#include "Win32Handle.h"

namespace {

// Named objects are shared by every program of the Wine prefix: a title of our own.
std::string UniqueTitle(const char* test)
{
    return std::string("Soriel guard test ") + test + " " + std::to_string(GetCurrentProcessId());
}

// The other process may be slow to start under Wine.
const unsigned kWaitMs = 10000;

bool MutexExists(const std::string& name)
{
    return KernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, Widen(name).c_str())).Get() != nullptr;
}

bool QuitPosted()
{
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

std::wstring WindowTitle(HWND window)
{
    wchar_t title[300] = {};
    GetWindowTextW(window, title, 300);
    return title;
}

class SingleInstanceTest : public testing::Test {
protected:
    TSingleInstance* LoadedGuard(bool switchToPrevious = true)
    {
        auto* owner = new TComponent(&application_);
        auto* guard = new TSingleInstance(owner);
        guard->SwitchToPrevious = switchToPrevious;
        guard->AlreadyExist = [this](TSingleInstance& sender) { raisedBy_.push_back(&sender); };
        owner->LoadedTree();
        return guard;
    }

    TApplication application_;
    std::vector<TSingleInstance*> raisedBy_;
};

TEST_F(SingleInstanceTest, SecondGuardSeesTheFirstAndAsksToEnd)
{
    application_.SetTitle(UniqueTitle("in process"));
    TSingleInstance* first = LoadedGuard();
    EXPECT_FALSE(first->IsSecondInstance());
    EXPECT_TRUE(MutexExists(application_.Title()));
    EXPECT_TRUE(raisedBy_.empty());
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(application_.ShowMainForm);

    TSingleInstance* second = LoadedGuard();
    EXPECT_TRUE(second->IsSecondInstance());
    EXPECT_EQ(raisedBy_, std::vector<TSingleInstance*>{second});
    EXPECT_TRUE(QuitPosted());
    EXPECT_FALSE(application_.ShowMainForm);
    EXPECT_EQ(WindowTitle(application_.Handle()), L"") << "its own window must not be found";
}

TEST_F(SingleInstanceTest, WithoutSwitchingNoWindowIsTouched)
{
    application_.SetTitle(UniqueTitle("no switch"));
    LoadedGuard();
    EXPECT_TRUE(LoadedGuard(false)->IsSecondInstance());
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(Narrow(WindowTitle(application_.Handle())), application_.Title());
}

TEST_F(SingleInstanceTest, AnObjectOfAnotherKindUnderTheNameIsNoSecondCopy)
{
    application_.SetTitle(UniqueTitle("not a mutex"));
    KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, Widen(application_.Title()).c_str()));
    ASSERT_TRUE(event);
    EXPECT_FALSE(LoadedGuard()->IsSecondInstance());
    EXPECT_TRUE(raisedBy_.empty());
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(application_.ShowMainForm);
}

TEST_F(SingleInstanceTest, TheMutexGoesWithTheLastGuard)
{
    application_.SetTitle(UniqueTitle("release"));
    auto* unloaded = new TSingleInstance(&application_);
    EXPECT_FALSE(MutexExists(application_.Title())) << "nothing is created before the owner has loaded";
    delete unloaded;
    delete LoadedGuard()->Owner();
    EXPECT_FALSE(MutexExists(application_.Title()));
    EXPECT_FALSE(LoadedGuard()->IsSecondInstance());
}

// Two real processes: the helper program holds a guard and runs its message loop.
class Helper {
public:
    Helper(const std::string& title, const wchar_t* mode)
    {
        std::wstring command = L"\"" + GetAppPath() + L"single_instance_helper.exe\" \"" + Widen(title) +
                               L"\" " + mode;
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION info{};
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &info);
        process_.Reset(info.hProcess);
        KernelHandle thread(info.hThread);
    }
    ~Helper()
    {
        if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.Get(), 9);
            WaitForSingleObject(process_.Get(), 10000);
        }
    }
    bool Started() const { return started_; }
    // The exit code, or -1 when it has not ended within the time.
    long EndsWith(DWORD timeoutMs = 10000) const
    {
        DWORD code = 0;
        if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.Get(), &code))
            return -1;
        return long(code);
    }

private:
    KernelHandle process_;
    bool started_ = false;
};

HWND FindApplicationWindow(const std::string& title)
{
    return FindWindowW(L"SorielApplication", Widen(title).c_str());
}

TEST(SingleInstanceProcesses, SecondCopyRestoresTheMinimizedFirstAndEnds)
{
    std::string title = UniqueTitle("minimized");
    Helper first(title, L"minimized");
    ASSERT_TRUE(first.Started());
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindApplicationWindow(title)) && IsIconic(window); }, kWaitMs));
    ASSERT_TRUE(MutexExists(title));

    Helper second(title, L"shown");
    EXPECT_EQ(second.EndsWith(), 2);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window); }, kWaitMs));
    EXPECT_EQ(first.EndsWith(0), -1) << "the first copy keeps running";
}

TEST(SingleInstanceProcesses, SecondCopyBringsTheFirstToTheForeground)
{
    std::string title = UniqueTitle("shown");
    Helper first(title, L"shown");
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindApplicationWindow(title)) && IsWindowVisible(window); }, kWaitMs));
    Helper second(title, L"shown");
    EXPECT_EQ(second.EndsWith(), 2);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, kWaitMs));
}

TEST_F(SingleInstanceTest, AHungFirstCopyDoesNotHangTheSecond)
{
    // This test's application window plays a first copy that handles no message meanwhile.
    application_.SetTitle(UniqueTitle("hung"));
    LoadedGuard();
    for (int show : {SW_SHOWNOACTIVATE, SW_MINIMIZE}) {
        ShowWindow(application_.Handle(), show);
        Helper second(application_.Title(), L"shown");
        EXPECT_EQ(second.EndsWith(), 2) << "shown with " << show;
    }
}

TEST(SingleInstanceProcesses, TheMutexIsReleasedWhenTheFirstCopyEnds)
{
    std::string title = UniqueTitle("ends");
    {
        Helper first(title, L"minimized");
        ASSERT_TRUE(WaitUntil([&] { return MutexExists(title); }, kWaitMs));
    }
    EXPECT_FALSE(MutexExists(title));
    Helper next(title, L"minimized");
    EXPECT_EQ(next.EndsWith(1000), -1) << "a copy started after the first ended is a first copy";
    EXPECT_TRUE(WaitUntil([&] { return FindApplicationWindow(title) != nullptr; }, kWaitMs));
}

} // namespace
