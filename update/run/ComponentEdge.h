#pragma once
#include <optional>
#include <string>

#include "UpdateEdge.h"

class TAutoUpdate;

// The component's side of its steps' edge: its status lines and dialogs, the programs it
// starts, net/'s fetch, the registry, its window.
class ComponentEdge : public UpdateEdge {
public:
    explicit ComponentEdge(TAutoUpdate& update) : update_(update) {}

    void ReportStatus(int id, const std::string& param) override;
    void ReportStatusWithCodes(int id, const std::string& param, int statusCode, int errorCode) override;
    void ShowMessage(const std::string& text) override;
    void ShowHTMLPage(const std::string& address) override;
    bool AskYesNo(const std::string& question) override;
    void OpenAddress(const std::string& address) override;
    void StartCommand(const std::string& commandLine) override;
    bool StartUpdater(const std::wstring& commandLine) override;
    Fetched Fetch(const FileSource& source, TransferGuard& guard,
                  const std::function<std::function<bool(std::string_view block)>(uint64_t from, const std::string& validator)>& openSink,
                  const std::function<bool(uint64_t total, uint64_t announced)>& onBlock) override;
    std::optional<std::string> ReadUserEntry(const std::string& key, const std::string& name) override;
    void WriteUserEntry(const std::string& key, const std::string& name, const std::string& value) override;
    void PumpMessages() override;
    std::optional<TDateTime> LocalFileTime(const std::string& path) override;

private:
    TAutoUpdate& update_;
};
