#include <gtest/gtest.h>

#include <string>

#include "LinkAddress.h"

TEST(LinkAddress, OnlyWebAndMailAddressesAreHandedToTheShell)
{
    const struct {
        std::string address;
        bool link;
    } cases[] = {
        {"http://www.soriel.example/", true},
        {"HTTPS://portal.example/zpravy?a=1&b=2", true},
        {"mailto:autor@soriel.example", true},
        {"MailTo:autor@soriel.example?subject=Ahoj svete", true},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"calc.exe", false},
        {"\\\\server\\share\\run.cmd", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"javascript:alert(1)", false},
        {"ms-settings:", false},
        {"httpx://host/", false},
        {" http://host/", false},
        {"http", false},
        {"", false},
        {"http://host/\" --disable-security", false},
        {"http://host/\r\nnext", false},
        {std::string("http://host/\0.exe", 17), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLinkAddress(c.address), c.link) << c.address;
}
