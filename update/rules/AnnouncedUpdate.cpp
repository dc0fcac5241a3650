#include "AnnouncedUpdate.h"

#include "ControlValues.h"

bool AsksNothingOfThePerson(std::string_view controlText)
{
    const std::string_view asking[][2] = {{"whatsnew", "file"}, {"eula", "file"},     {"action", "msg"},
                                          {"action", "query"},  {"action", "htmldlg"}, {"action", "showURL"}};
    for (const auto& [section, key] : asking)
        if (!ControlValue(controlText, section, key).empty())
            return false;
    return ControlInteger(controlText, "application", "silentrestart", 0) == 1;
}
