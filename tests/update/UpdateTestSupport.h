#pragma once
#include <optional>
#include <string>
#include <vector>

#include "AUpdate.h"

// The update component with every status it reports recorded, by id.
class RecordingUpdate : public TAutoUpdate {
public:
    RecordingUpdate();
    // A silent run over HTTP of the control file at that address, its files fetched into the folder.
    void SetUpSilentHttpRun(const std::string& controlFileUrl, const std::string& folder);
    void ReportStatus(int id, const std::string& param, int statuscode, int errcode) override;

    struct Status {
        int id;
        std::string param;
        int statuscode;
        int errcode;
    };
    std::vector<Status> statuses;
    std::vector<int> Ids() const;
    bool Reported(int id) const;
};

// A fresh folder in the temporary folder (path ends with a backslash), removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::optional<std::string> Read(const std::string& name) const;
    // Names of the files it holds, sorted.
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

// A value the test runner provides through the environment; empty when absent.
std::string Environment(const char* name);

// A payload and its SHA-256 (from sha256sum), for the digest rules.
inline const std::string kPayload = "payload v2\r\n";
inline const std::string kPayloadSha256 = "7dbade6e32863ee0ebf18879e910ed1c8e32d0d04d7bfa2d8bdc6c3e062b6b73";
inline const std::string kOtherSha256 = "8d50b3bebe1439d4f662270c9e395324391b5c0e60ff8c81b858213ee6020c8a";
