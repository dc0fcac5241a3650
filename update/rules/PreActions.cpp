#include "PreActions.h"

#include "AsciiCase.h"
#include "ShownText.h"
#include "UpdateStatus.h"

namespace {

bool Allowed(const PreActionValues& values, const std::string& address, UpdateEdge& edge)
{
    if (!values.HttpsOnly || ToUpper(address.substr(0, 8)) == "HTTPS://")
        return true;
    edge.ReportStatus(usAddressRefused, address);
    return false;
}

} // namespace

int RunPreActionSteps(const PreActionValues& values, const PrefixExpander& expandPrefixes,
                      const std::function<void()>& customProcess, UpdateEdge& edge)
{
    if (!values.Message.empty()) {
        edge.ReportStatus(usMessageInstruction, {});
        edge.ShowMessage(ShownText(ExpandLineBreakEscapes(values.Message)));
    }
    if (!values.HtmlDialog.empty()) {
        std::string address = expandPrefixes(values.HtmlDialog);
        edge.ReportStatus(usHtmlDialogInstruction, {});
        if (Allowed(values, address, edge))
            edge.ShowHTMLPage(address);
    }
    if (!values.RunBefore.empty())
        edge.StartCommand(expandPrefixes(values.RunBefore));
    customProcess();
    int result = 0;
    if (!values.Query.empty()) {
        edge.ReportStatus(usQueryInstruction, {});
        if (!edge.AskYesNo(ShownText(ExpandLineBreakEscapes(values.Query))))
            result = -1;
    }
    if (!values.ShowURL.empty()) {
        std::string address = expandPrefixes(values.ShowURL);
        edge.ReportStatus(usShowURLInstruction, {});
        if (Allowed(values, address, edge))
            edge.OpenAddress(address);
    }
    return result;
}
