#include "InstructionTexts.h"

#include "AuthenticationText.h"
#include "ControlValues.h"
#include "UpdateStatus.h"

std::unique_ptr<TStringList> FetchInstructionText(std::string_view controlText, std::string_view section,
                                                  int statusId, bool authenticationRequired, InstructionTextHost& host)
{
    std::string address = ControlValue(controlText, section, "file");
    if (address.empty())
        return nullptr;
    host.ReportStatus(statusId, {});
    if (!authenticationRequired)
        return host.DownloadText(address, std::nullopt);
    const auto digest = ParseSha256Value(ControlValue(controlText, section, "sha256"));
    auto text = digest ? host.DownloadText(address, digest) : nullptr;
    if (!text) {
        host.ReportStatus(usTextRefused, address);
        host.TextRefused();
    }
    return text;
}

bool TextsAccepted(TextsHost& host)
{
    if (host.RunPreActions() != 0)
        return false;
    bool declined = false;
    auto whatsNew = host.FetchWhatsNewText();
    if (host.Ended())
        return false;
    if (whatsNew)
        declined = host.PresentWhatsNew(*whatsNew) != 0;
    auto agreement = host.FetchAgreementText();
    if (host.Ended())
        return false;
    if (agreement && !declined)
        declined = host.PresentAgreement(*agreement) != 0;
    return !declined;
}
