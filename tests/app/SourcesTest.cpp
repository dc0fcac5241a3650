#include <gtest/gtest.h>

#include <map>

#include "Sources.h"

namespace {
Sources Read(const std::map<std::string, std::string, std::less<>>& values)
{
    return ReadSources([&](std::string_view key) -> std::optional<std::string> {
        auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    });
}
} // namespace

TEST(Sources, DefaultsStandWhereNothingOrNothingUsableIsGiven)
{
    Sources defaults;
    Sources read = Read({{"NewsURL", ""}, {"PollSeconds", "abc"}});
    EXPECT_EQ(read.NewsURL, defaults.NewsURL);
    EXPECT_EQ(read.PollSeconds, 30u);
    EXPECT_EQ(Read({{"PollSeconds", "0"}}).PollSeconds, 30u);
    EXPECT_EQ(Read({{"PollSeconds", "-5"}}).PollSeconds, 30u);
}

TEST(Sources, GivenValuesReplaceTheDefaults)
{
    Sources read = Read({{"NewsURL", "http://127.0.0.1:8765/n"}, {"Email", "a@b.cz"}, {"PollSeconds", "5"}});
    EXPECT_EQ(read.NewsURL, "http://127.0.0.1:8765/n");
    EXPECT_EQ(read.Email, "a@b.cz");
    EXPECT_EQ(read.PollSeconds, 5u);
}

TEST(Sources, DisplayAddressDropsSchemeAndTrailingSlash)
{
    EXPECT_EQ(DisplayAddress("http://www.soriel.cz/"), "www.soriel.cz");
    EXPECT_EQ(DisplayAddress("www.soriel.cz"), "www.soriel.cz");
    EXPECT_EQ(DisplayAddress("https://a.cz/b/"), "a.cz/b");
}

TEST(Sources, HostAndPortKeepsOnlyTheServerPart)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.soriel.cz/", "www.soriel.cz"},
        {"http://127.0.0.1:8080/a/b?c", "127.0.0.1:8080"},
        {"www.soriel.cz", "www.soriel.cz"},
        {"http://user:pw@host:81#x", "host:81"},
    };
    for (auto [url, expected] : cases)
        EXPECT_EQ(HostAndPort(url), expected) << url;
}
