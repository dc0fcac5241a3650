#include "Sources.h"

#include "IniText.h"

Sources ReadSources(const std::function<std::optional<std::string>(std::string_view key)>& lookup)
{
    Sources sources;
    auto read = [&](std::string_view key, std::string& target) {
        if (auto value = lookup(key); value && !value->empty())
            target = *value;
    };
    read("NewsURL", sources.NewsURL);
    read("UpdateURL", sources.UpdateURL);
    read("MakerURL", sources.MakerURL);
    read("SiteURL", sources.SiteURL);
    read("PortalURL", sources.PortalURL);
    read("BroadcasterURL", sources.BroadcasterURL);
    read("Email", sources.Email);
    if (auto value = lookup("PollSeconds")) {
        auto seconds = ParseInteger(*value);
        if (seconds && *seconds >= 1 && *seconds <= 86400)
            sources.PollSeconds = unsigned(*seconds);
    }
    return sources;
}

std::string DisplayAddress(std::string_view url)
{
    if (size_t scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    if (!url.empty() && url.back() == '/')
        url.remove_suffix(1);
    return std::string(url);
}

std::string HostAndPort(std::string_view url)
{
    if (size_t scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (size_t credentials = url.rfind('@'); credentials != std::string_view::npos)
        url.remove_prefix(credentials + 1);
    return std::string(url);
}
