#include <gtest/gtest.h>

#include <memory>

#include "ShellDesktop.h"

namespace {

// The dialogs open in a desktop of their own: windows there are shown and ended at once,
// without waiting for an X window manager that the test display does not have.
class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        try {
            desktop_ = std::make_unique<ShellDesktop>(L"soriel-updatetest-" + std::to_wstring(GetCurrentProcessId()));
        } catch (const std::exception& error) {
            FAIL() << error.what();
        }
    }
    void TearDown() override { desktop_.reset(); }

private:
    std::unique_ptr<ShellDesktop> desktop_;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);
    return RUN_ALL_TESTS();
}
