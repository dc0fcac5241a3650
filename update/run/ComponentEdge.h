#pragma once
#include <optional>
#include <string>

#include "UpdateEdge.h"

class TAutoUpdate;

// The component's side of its steps' edge: its status lines and dialogs, the programs it
// starts, its window.
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
    void PumpMessages() override;
    std::optional<TDateTime> LocalFileTime(const std::string& path) override;

private:
    TAutoUpdate& update_;
};
