#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Application.h"
#include "ShellDesktop.h"

namespace {

// Every test of this program runs inside one desktop of its own with a notification area.
class ShellEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        try {
            desktop_ = std::make_unique<ShellDesktop>(L"soriel-traytest-" + std::to_wstring(GetCurrentProcessId()));
        } catch (const std::exception& error) {
            FAIL() << error.what();
        }
        application_ = std::make_unique<TApplication>();
        application_->SetTitle("Soriel tray test");
    }
    void TearDown() override
    {
        application_.reset();
        desktop_.reset();
    }

private:
    std::unique_ptr<ShellDesktop> desktop_;
    std::unique_ptr<TApplication> application_;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ShellEnvironment);
    return RUN_ALL_TESTS();
}
