#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "FileFetch.h"
#include "Processes.h"
#include "Registry.h"
#include "UpdateEdge.h"

// The base of the tests' edges: what a test does not watch goes to the platform, as the
// component's edge sends it.
class PlatformEdge : public UpdateEdge {
public:
    bool StartUpdater(const std::wstring& commandLine) override
    {
        return bool(::StartCommand(commandLine, true, CREATE_NEW_CONSOLE));
    }
    Fetched Fetch(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                  const FetchProgress& onBlock) override
    {
        return FetchFile(source, guard, openSink, onBlock);
    }
    std::optional<std::string> ReadUserEntry(const std::string& key, const std::string& name) override
    {
        return TRegistryKey::OpenOrCreateUserKey(key).ReadString(name);
    }
    void WriteUserEntry(const std::string& key, const std::string& name, const std::string& value) override
    {
        TRegistryKey::OpenOrCreateUserKey(key).WriteString(name, value);
    }
};
