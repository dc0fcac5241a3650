#include "ControlFileStep.h"

#include "ControlSerial.h"
#include "ControlValues.h"
#include "Exception.h"
#include "UpdateStatus.h"

namespace {

bool SignatureValid(const ControlFileInput& input, const std::string& bytes, ControlFileHost& host)
{
    auto signature = host.FetchSignature(input.Address + ".sig");
    if (!signature || signature->Count() == 0)
        return false;
    // A platform that cannot check the signature cannot vouch for the file either.
    try {
        for (const PublicKeyBytes& key : input.Keys)
            if (VerifyControlFileSignature(bytes, (*signature)[0], key))
                return true;
        return false;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

ControlFileResult RunControlFileStep(const ControlFileInput& input, ControlFileHost& host)
{
    ControlFileResult result;
    std::optional<std::string> bytes = host.FetchControlFile(input.Address);
    if (!bytes) {
        host.ReportStatus(usControlFileNotFound, {});
        result.Code = 4;
        return result;
    }
    host.ReportStatus(usControlFileFound, {});
    const bool signedUpdate = !input.Keys.empty();
    // Only the exact bytes the signature covers are ever read.
    if (signedUpdate && !SignatureValid(input, *bytes, host)) {
        host.ReportStatus(usInvalidSignature, {});
        result.Code = 5;
        return result;
    }
    const std::string& text = result.Text.emplace(std::move(*bytes));
    // A signed file stays signed for ever: only its serial tells a new one from one served again.
    if (signedUpdate) {
        const std::string serialText = ControlValue(text, "update", "serial");
        const auto serial = ParseSerial(serialText);
        switch (JudgeSerial(serial, host.LastSerial())) {
        case SerialVerdict::Refused:
            host.ReportStatus(usSerialRefused, serialText);
            result.Code = 5;
            return result;
        case SerialVerdict::NothingNew:
            host.ReportStatus(usNoNewVersion, {});
            result.Code = kControlFileNothingNew;
            return result;
        case SerialVerdict::Fresh:
            result.Serial = serial;
            break;
        }
    }
    if (input.RequiredMarker && ControlValue(text, "update", "signature") != *input.RequiredMarker) {
        host.ReportStatus(usInvalidSignature, {});
        result.Code = 5;
    }
    result.Application = ReadApplicationSection(text, host);
    return result;
}
