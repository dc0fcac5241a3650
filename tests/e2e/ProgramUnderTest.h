#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Waiting.h"
#include "Win32Handle.h"

// main.ini lines that point the poller and the update run at a closed loopback port, so
// that a test that does not serve them reaches nothing outside.
inline const std::string kQuietUpdate = "UpdateURL=http://127.0.0.1:9/update/app1h.inf\r\n";
inline const std::string kQuietSources =
    "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\n" + kQuietUpdate;

// Where the program keeps the last update it carried out.
inline const wchar_t* const kUpdateRegistryKey = L"Software\\Soriel online\\Update";

// The bytes of a download cut short, kept in this user's temporary folder for the next start;
// the record of them beside it (path + ".txt").
std::wstring HeldDownloadPath(const std::string& address, const std::string& sha256);
// Both gone, so that no earlier run's bytes meet a test.
void RemoveHeldDownload(const std::string& address, const std::string& sha256);

// A fresh program folder in the temporary folder, holding a copy of main.exe and the files
// that travel with it (taken from the test program's own folder). Removed afterwards.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::wstring& nameHint = L"soriel");
    // A folder made and filled outside the test (ending with a backslash), left as it is.
    struct Prepared {
        std::wstring path;
    };
    explicit ProgramFolder(Prepared prepared) : path_(std::move(prepared.path)), owned_(false) {}
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::wstring& Path() const { return path_; } // ends with a backslash
    std::wstring File(const std::wstring& name) const { return path_ + name; }

    void Write(const std::wstring& name, const std::string& bytes) const;
    std::optional<std::string> Read(const std::wstring& name) const;
    bool Exists(const std::wstring& name) const;

private:
    std::wstring path_;
    bool owned_ = true;
};

// Removes a folder with everything in it.
void RemoveTree(const std::wstring& folder);

struct StartOptions {
    std::wstring currentFolder; // where it starts; empty: the program folder itself
    std::wstring wineTrace;     // Wine's debug channels (WINEDEBUG) for this program
    std::wstring dllOverrides;  // Wine's library load order (WINEDLLOVERRIDES) for this program
    bool asSecondCopy = false;  // a copy is running already, and that is the point
    std::wstring desktop;       // the desktop it runs on; empty: this process's
};

// main.exe started from a program folder, watched and driven the way a person would.
class RunningProgram {
public:
    explicit RunningProgram(const ProgramFolder& folder, const StartOptions& options = {});
    // A copy that someone else started (the updater, say), watched from now on.
    explicit RunningProgram(DWORD processId);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // The main form (waits until it exists); null when it did not appear in time.
    HWND MainWindow(unsigned timeoutMs = 10000) const;
    HWND FindWindowOfClass(const std::wstring& className, HWND parent = nullptr) const;
    std::wstring WindowText(HWND window) const;
    // A control of the main window, shown first when it is hidden.
    HWND ShownChildOfClass(const std::wstring& className) const;
    // The program's popups now on screen: top-most tool windows.
    std::vector<HWND> Popups() const;

    // The tray icon's callback messages, as the shell sends them for a double click.
    static constexpr UINT kTrayCallback = 0x800;
    // The news log's text as its box holds it once filled (the window is shown for that,
    // as the box is filled only then), and the sound check box.
    std::string LogText() const;
    bool SoundChecked() const;

    // A double click on the tray icon, as the shell reports it; false without an icon window.
    bool DoubleClickTrayIcon() const;
    // A command of the tray menu, as the menu would send it.
    void SendCommand(unsigned command) const;
    // "Konec", then waits for the program to end.
    bool Exit(unsigned timeoutMs = 15000);
    bool WaitForExit(unsigned timeoutMs) const;
    bool Running() const;
    void Kill();

private:
    KernelHandle process_;
    DWORD processId_ = 0;
};

// The id of a main.exe of that folder running now, once one is there; nothing when none
// appears in time.
std::optional<DWORD> WaitForProgramOf(const ProgramFolder& folder, unsigned timeoutMs);

// The copy of main.exe that an update started again in the folder, once it shows its main
// window (a new program that fails lives only a moment under the same name, so each copy that
// appears is watched in turn); no window when none showed one within the time.
struct RestartedProgram {
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};
RestartedProgram WaitForRestartedProgram(const ProgramFolder& folder, unsigned timeoutMs);

// The program's tray icon is held by the shell. Asks without changing it: a modify of
// nothing succeeds only for an icon the shell holds.
inline const UINT kIconId = 1;
bool TrayIconPresent(HWND trayWindow);

// What the programs started by this test wrote to Wine's debug trace so far; nothing when
// the test runs without a trace file (run-traced.sh provides one).
std::optional<std::string> WineTrace();

// One element as assistive technology reads it through the system's accessibility
// interface, from this process: the window's client area is element 0, its children follow.
struct AccessibleElement {
    long role = 0;
    std::string name;
    std::string description;
    std::string value;
    long state = 0;
};
std::vector<AccessibleElement> ReadAccessible(HWND window);
