#pragma once
#include <string>

struct RestartInput {
    std::string AppCommand;    // the program to start again, with its parameters
    std::string AppComponents; // the files the updater puts in place
    bool SilentRestart = false;
};

// The effects of the restart; the update component carries them out.
class RestartHost {
public:
    virtual ~RestartHost() = default;
    virtual void ReportStatus(int id, const std::string& param, int statuscode, int errcode) = 0;
    virtual bool ProgressCancelled() = 0;
    // The application's say on the restart; without a handler, a silent restart is allowed
    // and any other is asked.
    virtual bool RestartAllowed(bool silent) = 0;
    // upd.exe written afresh; its path.
    virtual std::string WriteUpdaterProgram() = 0;
    // Started without waiting; false, with the system's error set, when it could not be.
    virtual bool StartUpdater(const std::wstring& commandLine) = 0;
    // The serial counts as carried out.
    virtual void StoreSerial() = 0;
    virtual void CloseApplication() = 0;
};

// Hands the components over to the updater program and closes the application, unless the
// update repeats one the updater had to undo, or the application or the person declines.
void RestartThroughUpdater(const RestartInput& input, RestartHost& host);
