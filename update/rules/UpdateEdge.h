#pragma once
#include <optional>
#include <string>

#include "SystemDate.h"

// Where the update's steps reach the platform: status lines, the person, the programs they
// start, the window and the local files. The component answers it; tests put their own in
// its place. What the component's own operations and handlers decide reaches a step as a
// function instead.
class UpdateEdge {
public:
    virtual ~UpdateEdge() = default;
    // A status with its usual codes from the status table.
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual void ReportStatusWithCodes(int id, const std::string& param, int statusCode, int errorCode) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowHTMLPage(const std::string& address) = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void OpenAddress(const std::string& address) = 0;
    virtual void StartCommand(const std::string& commandLine) = 0;
    // Called while a request is being sent and between blocks: the window stays live.
    virtual void PumpMessages() = 0;
    // The local file's last-write time; none when it is missing.
    virtual std::optional<TDateTime> LocalFileTime(const std::string& path) = 0;
};
