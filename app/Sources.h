#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Where the program finds the show and its maker. Built-in defaults; [Sources] of main.ini
// may name others (the program never writes them).
struct Sources {
    std::string NewsURL = "http://www.vila-soriel.cz/index.php/zpravodajstvy";
    std::string UpdateURL = "http://www.soriel.cz/update/upd_snh/app1h.inf";
    std::string MakerURL = "http://www.soriel.cz/";
    std::string SiteURL = "http://www.vila-soriel.cz/";
    std::string PortalURL = "http://www.tvportal-vila.cz/";
    std::string BroadcasterURL = "http://www.kanal-tri.cz/";
    std::string Email = "info@soriel.cz";
    unsigned PollSeconds = 30;
};

// Reads the keys through lookup (which answers a key's value of [Sources], if present).
// Empty values and a poll period that is not a whole number from 1 to 86400 keep the default.
Sources ReadSources(const std::function<std::optional<std::string>(std::string_view key)>& lookup);

// An address as shown to people: without its scheme and a trailing slash.
std::string DisplayAddress(std::string_view url);

// The host of an address, followed by ":port" when the address names a port.
std::string HostAndPort(std::string_view url);
