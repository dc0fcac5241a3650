#include "ComponentEdge.h"

#include "AUpdate.h"
#include "CommandLine.h"
#include "FileChecks.h"
#include "FileFetch.h"
#include "HtmlDialog.h"
#include "Processes.h"
#include "Registry.h"
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

bool ComponentEdge::StartUpdater(const std::wstring& commandLine)
{
    return bool(::StartCommand(commandLine, true, CREATE_NEW_CONSOLE));
}

Fetched ComponentEdge::Fetch(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                             const FetchProgress& onBlock)
{
    return FetchFile(source, guard, openSink, onBlock);
}

std::optional<std::string> ComponentEdge::ReadUserEntry(const std::string& key, const std::string& name)
{
    return TRegistryKey::OpenOrCreateUserKey(key).ReadString(name);
}

void ComponentEdge::WriteUserEntry(const std::string& key, const std::string& name, const std::string& value)
{
    TRegistryKey::OpenOrCreateUserKey(key).WriteString(name, value);
}

void ComponentEdge::PumpMessages() { update_.PumpMessages(); }

std::optional<TDateTime> ComponentEdge::LocalFileTime(const std::string& path) { return FileModifiedTime(path); }

void TAutoUpdate::ShowHTMLPage(const std::string& address)
{
    if (!ShowPlatformHtmlDialog(address))
        ShowAddressDialog(DialogOwner(), ShownText(address));
}
