#include "ComponentEdge.h"

#include "AUpdate.h"
#include "CommandLine.h"
#include "FileChecks.h"
#include "HtmlDialog.h"
#include "ShownText.h"
#include "UpdateDialogs.h"
#include "WebTransfer.h"

// On UpdateState: nothing here calls back into a step.

void ComponentEdge::ReportStatus(int id, const std::string& param) { update_.Report(id, param); }

void ComponentEdge::ReportStatusWithCodes(int id, const std::string& param, int statusCode, int errorCode)
{
    update_.ReportStatus(id, param, statusCode, errorCode);
}

void ComponentEdge::ShowMessage(const std::string& text) { ShowInformation(DialogOwner(), text); }

void ComponentEdge::ShowHTMLPage(const std::string& address) { update_.ShowHTMLPage(address); }

bool ComponentEdge::AskYesNo(const std::string& question) { return ::AskYesNo(DialogOwner(), question); }

void ComponentEdge::OpenAddress(const std::string& address)
{
    ::OpenAddress(WithProxyCredentials(address, update_.ProxyUserID, update_.ProxyPassword));
}

void ComponentEdge::StartCommand(const std::string& commandLine) { StartCommandLine(commandLine); }

void ComponentEdge::PumpMessages() { update_.PumpMessages(); }

std::optional<TDateTime> ComponentEdge::LocalFileTime(const std::string& path) { return FileModifiedTime(path); }

void TAutoUpdate::ShowHTMLPage(const std::string& address)
{
    if (!ShowPlatformHtmlDialog(address))
        ShowAddressDialog(DialogOwner(), ShownText(address));
}
