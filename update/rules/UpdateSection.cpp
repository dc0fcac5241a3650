#include "UpdateSection.h"

#include "ControlValues.h"
#include "SystemDate.h"
#include "UpdateStatus.h"

namespace {

int EvaluateNewVersion(std::string_view controlText, const ComponentCalls& calls, UpdateEdge& edge)
{
    std::string newVersion = ControlValue(controlText, "update", "newversion");
    const int newSize = int(ControlInteger(controlText, "update", "newsize", 0));
    std::string localFile = calls.ExpandPrefixes(ControlValue(controlText, "update", "localversion"));
    const int checksum = int(ControlInteger(controlText, "update", "newchecksum", -1));
    int code = ukNone;
    if (!localFile.empty()) {
        code = checksum != -1 ? ukChecksum : newSize > 0 ? ukSize : ukVersion;
        edge.ReportStatus(code == ukChecksum ? usChecksumUpdateFound
                          : code == ukSize   ? usSizeUpdateFound
                                             : usVersionUpdateFound,
                          {});
    }
    if (calls.IsNewerThanLocal(newVersion, localFile, checksum, newSize)) {
        edge.ReportStatus(usNewVersionFound, newVersion);
    } else {
        edge.ReportStatus(usNoNewVersion, {});
        code = ukNone;
    }
    return code;
}

} // namespace

UpdateSectionResult EvaluateUpdateSection(std::string_view controlText, const ComponentCalls& calls, UpdateEdge& edge)
{
    UpdateSectionResult result;
    int code = ukNone;
    if (std::string date = ControlValue(controlText, "update", "date"); !date.empty()) {
        edge.ReportStatus(usDateUpdateFound, {});
        const TDateTime controlDate = calls.ControlDateTime(date, ControlValue(controlText, "update", "time"));
        result.ControlDate = controlDate;
        if (calls.LastUpdateDate() >= controlDate) {
            edge.ReportStatus(usNoNewVersion, {});
        } else {
            edge.ReportStatus(usNewVersionFound, ShortDateText(controlDate));
            code = ukDate;
        }
    }
    if (code == ukNone && !ControlValue(controlText, "update", "unconditional").empty())
        code = ukUnconditional;
    if (code == ukNone && !ControlValue(controlText, "update", "newversion").empty())
        code = EvaluateNewVersion(controlText, calls, edge);
    const std::optional<bool> allowed = calls.CustomValidate(ControlValue(controlText, "custom", "validatemsg"),
                                                            ControlValue(controlText, "custom", "validateparam"));
    if (allowed)
        code = *allowed ? ukCustom : ukNone;
    result.Kind = code;
    return result;
}
