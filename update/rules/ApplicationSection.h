#pragma once
#include <string>
#include <string_view>

// What [application] says of the program an update restarts.
struct ApplicationValues {
    bool AppUpdate = false;
    std::string Command;    // the program and its parameters, quoted as one when it holds a blank
    std::string Components; // appcomps, prefixes expanded
    bool SilentRestart = false;
};

class ApplicationSectionHost {
public:
    virtual ~ApplicationSectionHost() = default;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    // The application's say on the restarted program's parameters.
    virtual void SetAppParams(std::string& parameters) = 0;
};

// appupdate counts only with a program named; the parameters are what follows the first blank.
ApplicationValues ReadApplicationSection(std::string_view controlText, ApplicationSectionHost& host);
