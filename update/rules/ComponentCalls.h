#pragma once
#include <functional>
#include <optional>
#include <string>

#include "ControlDate.h"
#include "PrefixExpansion.h"
#include "StringList.h"

// The component's operations and handlers that the control file's decisions ask, each called
// where the decision needs it.
struct ComponentCalls {
    PrefixExpander ExpandPrefixes;
    std::function<TDateTime(const std::string& date, const std::string& time)> ControlDateTime;
    // The date of the last update carried out.
    std::function<TDateTime()> LastUpdateDate;
    // May rewrite both texts as the dotted versions it compared.
    std::function<bool(std::string& newVersion, std::string& localFile, int checksum, int size)> IsNewerThanLocal;
    // The application's own verdict on [custom] validatemsg and validateparam; none without a
    // handler.
    std::function<std::optional<bool>(const std::string& message, const std::string& parameter)> CustomValidate;
    // The application's verdict on a custom version; none without a handler.
    std::function<std::optional<bool>(const std::string& customVersion, const std::string& localFile)>
        CustomVersionIsNew;
    // The application may empty the descriptions of files it does not want; false when it
    // has no say.
    std::function<bool(TStringList& descriptions)> ChooseFiles;
};
