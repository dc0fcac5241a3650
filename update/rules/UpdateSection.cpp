#include "UpdateSection.h"

#include "ControlValues.h"
#include "SystemDate.h"
#include "UpdateStatus.h"

namespace {

int EvaluateNewVersion(std::string_view controlText, UpdateSectionHost& host)
{
    std::string newVersion = ControlValue(controlText, "update", "newversion");
    const int newSize = int(ControlInteger(controlText, "update", "newsize", 0));
    std::string localFile = host.ExpandPrefixes(ControlValue(controlText, "update", "localversion"));
    const int checksum = int(ControlInteger(controlText, "update", "newchecksum", -1));
    int code = ukNone;
    if (!localFile.empty()) {
        code = checksum != -1 ? ukChecksum : newSize > 0 ? ukSize : ukVersion;
        host.ReportStatus(code == ukChecksum ? usChecksumUpdateFound
                          : code == ukSize   ? usSizeUpdateFound
                                             : usVersionUpdateFound,
                          {});
    }
    if (host.IsNewerThanLocal(newVersion, localFile, checksum, newSize)) {
        host.ReportStatus(usNewVersionFound, newVersion);
    } else {
        host.ReportStatus(usNoNewVersion, {});
        code = ukNone;
    }
    return code;
}

} // namespace

UpdateSectionResult EvaluateUpdateSection(std::string_view controlText, UpdateSectionHost& host)
{
    UpdateSectionResult result;
    int code = ukNone;
    if (std::string date = ControlValue(controlText, "update", "date"); !date.empty()) {
        host.ReportStatus(usDateUpdateFound, {});
        const TDateTime controlDate = host.ControlDateTime(date, ControlValue(controlText, "update", "time"));
        result.ControlDate = controlDate;
        if (host.LastUpdateDate() >= controlDate) {
            host.ReportStatus(usNoNewVersion, {});
        } else {
            host.ReportStatus(usNewVersionFound, ShortDateText(controlDate));
            code = ukDate;
        }
    }
    if (code == ukNone && !ControlValue(controlText, "update", "unconditional").empty())
        code = ukUnconditional;
    if (code == ukNone && !ControlValue(controlText, "update", "newversion").empty())
        code = EvaluateNewVersion(controlText, host);
    const std::optional<bool> allowed = host.CustomValidate(ControlValue(controlText, "custom", "validatemsg"),
                                                            ControlValue(controlText, "custom", "validateparam"));
    if (allowed)
        code = *allowed ? ukCustom : ukNone;
    result.Kind = code;
    return result;
}
