#include "ApplicationSection.h"

#include "ControlValues.h"

ApplicationValues ReadApplicationSection(std::string_view controlText, const PrefixExpander& expandPrefixes,
                                         const AppParamsHandler& setAppParams)
{
    ApplicationValues values;
    values.AppUpdate = ControlInteger(controlText, "application", "appupdate", 0) == 1;
    std::string command = expandPrefixes(ControlValue(controlText, "application", "appname"));
    if (command.empty())
        values.AppUpdate = false;
    std::string program = command, parameters;
    if (size_t blank = command.find(' '); blank != std::string::npos) {
        program = command.substr(0, blank);
        parameters = command.substr(blank + 1);
    }
    setAppParams(parameters);
    if (!parameters.empty())
        command = program + " " + parameters;
    if (command.find(' ') != std::string::npos)
        command = "\"" + command + "\"";
    values.Command = command;
    values.Components = expandPrefixes(ControlValue(controlText, "application", "appcomps"));
    values.SilentRestart = ControlInteger(controlText, "application", "silentrestart", 0) == 1;
    return values;
}
