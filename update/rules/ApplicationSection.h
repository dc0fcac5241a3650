#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "PrefixExpansion.h"

// What [application] says of the program an update restarts.
struct ApplicationValues {
    bool AppUpdate = false;
    std::string Command;    // the program and its parameters, quoted as one when it holds a blank
    std::string Components; // appcomps, prefixes expanded
    bool SilentRestart = false;
};

// The application's say on the restarted program's parameters.
using AppParamsHandler = std::function<void(std::string& parameters)>;

// appupdate counts only with a program named; the parameters are what follows the first blank.
ApplicationValues ReadApplicationSection(std::string_view controlText, const PrefixExpander& expandPrefixes,
                                         const AppParamsHandler& setAppParams);
