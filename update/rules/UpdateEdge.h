#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "SystemDate.h"

// The fetch's own types (net/FileFetch.h) need the platform's headers, which the rules
// stay without.
struct FileSource;
struct Fetched;
class TransferGuard;

// Where the update's steps reach the platform: status lines, the person, the programs they
// start, the updater, fetching, the registry, the window and the local files. The component
// answers it; tests put their own in its place. What the component's own operations and
// handlers decide reaches a step as a function instead.
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
    // Starts the updater program's command line; false (with the system's error set) when it
    // did not start.
    virtual bool StartUpdater(const std::wstring& commandLine) = 0;
    // One file fetched (FetchFile): the sink is asked for once the source has something to
    // give, from the start or after held bytes; progress after each block, false stops it.
    virtual Fetched Fetch(const FileSource& source, TransferGuard& guard,
                          const std::function<std::function<bool(std::string_view block)>(uint64_t from, const std::string& validator)>& openSink,
                          const std::function<bool(uint64_t total, uint64_t announced)>& onBlock) = 0;
    // A value under HKEY_CURRENT_USER\key, created when missing; none when it holds none.
    virtual std::optional<std::string> ReadUserEntry(const std::string& key, const std::string& name) = 0;
    virtual void WriteUserEntry(const std::string& key, const std::string& name, const std::string& value) = 0;
    // Called while a request is being sent and between blocks: the window stays live.
    virtual void PumpMessages() = 0;
    // The local file's last-write time; none when it is missing.
    virtual std::optional<TDateTime> LocalFileTime(const std::string& path) = 0;
};
