#pragma once
#include <string>

// The [action] values that act once the files are in place, as the control file writes them.
struct PostActionValues {
    std::string UpdateURL; // updateURL: the control file's address from now on
    std::string RunAfter;  // runafter
    bool PostEnabled = false;
    bool WritePatcher = false;
};

// The effects of the post actions; the update component carries them out.
class PostActionHost {
public:
    virtual ~PostActionHost() = default;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual bool RunStopped() = 0;
    // Tells the maker's server, then hands its reply to the application.
    virtual void PostUpdateInfo() = 0;
    // Keeps the control file's date as the last update's, when it was read from the registry.
    virtual void StoreLastUpdateDate() = 0;
    virtual void StoreLastURL(const std::string& address) = 0;
    virtual void WritePatcherProgram() = 0;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    virtual void StartCommand(const std::string& commandLine) = 0;
};

// The post and the date first; after a close during the post the files are in place, but
// nothing more is started. Then the new address, the patcher, runafter and the end status.
void RunPostActionSteps(const PostActionValues& values, PostActionHost& host);
