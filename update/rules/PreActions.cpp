#include "PreActions.h"

#include "AsciiCase.h"
#include "ShownText.h"
#include "UpdateStatus.h"

namespace {

bool Allowed(const PreActionValues& values, const std::string& address, PreActionHost& host)
{
    if (!values.HttpsOnly || ToUpper(address.substr(0, 8)) == "HTTPS://")
        return true;
    host.ReportStatus(usAddressRefused, address);
    return false;
}

} // namespace

int RunPreActionSteps(const PreActionValues& values, PreActionHost& host)
{
    if (!values.Message.empty()) {
        host.ReportStatus(usMessageInstruction, {});
        host.ShowMessage(ShownText(ExpandLineBreakEscapes(values.Message)));
    }
    if (!values.HtmlDialog.empty()) {
        std::string address = host.ExpandPrefixes(values.HtmlDialog);
        host.ReportStatus(usHtmlDialogInstruction, {});
        if (Allowed(values, address, host))
            host.ShowHTMLPage(address);
    }
    if (!values.RunBefore.empty())
        host.StartCommand(host.ExpandPrefixes(values.RunBefore));
    host.CustomProcess();
    int result = 0;
    if (!values.Query.empty()) {
        host.ReportStatus(usQueryInstruction, {});
        if (!host.AskYesNo(ShownText(ExpandLineBreakEscapes(values.Query))))
            result = -1;
    }
    if (!values.ShowURL.empty()) {
        std::string address = host.ExpandPrefixes(values.ShowURL);
        host.ReportStatus(usShowURLInstruction, {});
        if (Allowed(values, address, host))
            host.OpenAddress(address);
    }
    return result;
}
