#include "ProgramUnderTest.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "AccessibleClient.h"
#include "AppPath.h"
#include "ComApartment.h"
#include "ComPtr.h"
#include "FileIO.h"
#include "MenuCommands.h"
#include "PartialDownload.h"
#include "Text.h"
#include "Waiting.h"

namespace {

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The process's top-level windows, in the order EnumWindows gives them.
std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId)
                search->found.push_back(window);
            return TRUE;
        },
        LPARAM(&search));
    return search.found;
}

// A variable of this process's environment set for a child's start, then put back.
class EnvironmentForChild {
public:
    EnvironmentForChild(const wchar_t* name, const std::wstring& value) : name_(name), set_(!value.empty())
    {
        wchar_t previous[1024] = {};
        const DWORD length = GetEnvironmentVariableW(name, previous, 1024);
        if (length > 0 && length < 1024)
            previous_ = previous;
        if (set_)
            SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentForChild()
    {
        if (set_)
            SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr);
    }
    EnvironmentForChild(const EnvironmentForChild&) = delete;
    EnvironmentForChild& operator=(const EnvironmentForChild&) = delete;

private:
    const wchar_t* name_;
    bool set_;
    std::optional<std::wstring> previous_;
};

// The full path of a running process's program file; empty when it cannot be asked.
std::wstring ProgramPathOf(DWORD processId)
{
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, path, &length))
        return {};
    return std::wstring(path, length);
}

} // namespace

std::optional<DWORD> WaitForProgramOf(const ProgramFolder& folder, unsigned timeoutMs)
{
    const std::wstring program = folder.File(L"main.exe");
    std::optional<DWORD> found;
    WaitUntil(
        [&] {
            FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32W entry{sizeof(entry)};
            for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
                if (_wcsicmp(entry.szExeFile, L"main.exe") == 0 &&
                    _wcsicmp(ProgramPathOf(entry.th32ProcessID).c_str(), program.c_str()) == 0) {
                    found = entry.th32ProcessID;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

RestartedProgram WaitForRestartedProgram(const ProgramFolder& folder, unsigned timeoutMs)
{
    RestartedProgram restarted;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!restarted.window && std::chrono::steady_clock::now() < deadline) {
        const std::optional<DWORD> running = WaitForProgramOf(folder, 30000);
        if (!running)
            break;
        try {
            restarted.program = std::make_unique<RunningProgram>(*running);
        } catch (const std::runtime_error&) {
            continue; // ended before it could be watched
        }
        restarted.window = restarted.program->MainWindow(3000);
    }
    return restarted;
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::optional<std::string> WineTrace()
{
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"SORIEL_TRACE_FILE", path, MAX_PATH))
        return std::nullopt;
    return ReadWholeFile(path).value_or("");
}

std::wstring HeldDownloadPath(const std::string& address, const std::string& sha256)
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + PartialDownloadName(address, sha256);
}

void RemoveHeldDownload(const std::string& address, const std::string& sha256)
{
    const std::wstring path = HeldDownloadPath(address, sha256);
    DeleteFileW(path.c_str());
    DeleteFileW((path + L".txt").c_str());
}

ProgramFolder::ProgramFolder(const std::wstring& nameHint)
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path_ = std::wstring(temp) + nameHint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    RemoveTree(path_);
    if (!CreateDirectoryW(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create the program folder");
    const std::wstring source = GetAppPath();
    for (const wchar_t* name : {L"main.exe", L"orcoredll.dll", L"ticktock.wav"}) {
        if (GetFileAttributesW((source + name).c_str()) != INVALID_FILE_ATTRIBUTES &&
            !CopyFileW((source + name).c_str(), File(name).c_str(), FALSE))
            throw std::runtime_error("cannot copy " + Narrow(name) + " into the program folder: error " +
                                     std::to_string(GetLastError()));
    }
    if (!Exists(L"main.exe"))
        throw std::runtime_error("main.exe is not beside the test program");
    // A fresh install: no update of an earlier test counts as carried out.
    RegDeleteTreeW(HKEY_CURRENT_USER, kUpdateRegistryKey);
}

ProgramFolder::~ProgramFolder()
{
    if (owned_)
        RemoveTree(path_);
}

void ProgramFolder::Write(const std::wstring& name, const std::string& bytes) const
{
    FileHandle file(CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
        throw std::runtime_error("cannot write a file of the program folder");
}

std::optional<std::string> ProgramFolder::Read(const std::wstring& name) const
{
    return ReadWholeFile(File(name));
}

bool ProgramFolder::Exists(const std::wstring& name) const
{
    return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

RunningProgram::RunningProgram(const ProgramFolder& folder, const StartOptions& options)
{
    // Any other copy of the program would make this one a second copy that ends at once.
    if (!options.asSecondCopy) {
        KernelHandle running(OpenMutexW(SYNCHRONIZE, FALSE, L"Soriel online"));
        if (running)
            throw std::runtime_error("another main.exe is running on this Wine server: end it first");
    }
    std::wstring commandLine = L"\"" + folder.File(L"main.exe") + L"\"";
    const std::wstring startIn = options.currentFolder.empty() ? folder.Path() : options.currentFolder;
    STARTUPINFOW startup{sizeof(startup)};
    std::wstring desktop = options.desktop;
    if (!desktop.empty())
        startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION process{};
    // The child takes Wine's debug channels and load order from its environment; its trace
    // goes to the error output it shares with this test.
    const EnvironmentForChild trace(L"WINEDEBUG", options.wineTrace);
    const EnvironmentForChild overrides(L"WINEDLLOVERRIDES", options.dllOverrides);
    // Wine now and then refuses a start outright under load; a second try a moment later works.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0)
            Sleep(400);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, startIn.c_str(),
                                 &startup, &process);
        error = GetLastError();
    }
    if (!started)
        throw std::runtime_error("cannot start main.exe: error " + std::to_string(error));
    CloseHandle(process.hThread);
    process_.Reset(process.hProcess);
    processId_ = process.dwProcessId;
    WaitForInputIdle(process_.Get(), 10000);
}

RunningProgram::RunningProgram(DWORD processId)
    : process_(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)),
      processId_(processId)
{
    if (!process_)
        throw std::runtime_error("cannot watch process " + std::to_string(processId));
}

RunningProgram::~RunningProgram() { Kill(); }

HWND RunningProgram::MainWindow(unsigned timeoutMs) const
{
    HWND result = nullptr;
    WaitUntil(
        [&] {
            // The main form is the one captioned with the program's name (popups have none).
            for (HWND window : TopLevelWindowsOf(processId_))
                if (ClassName(window).starts_with(L"SorielWindow") && WindowText(window).starts_with(L"Soriel online")) {
                    result = window;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return result;
}

HWND RunningProgram::FindWindowOfClass(const std::wstring& className, HWND parent) const
{
    if (parent)
        return FindWindowExW(parent, nullptr, className.c_str(), nullptr);
    for (HWND window : TopLevelWindowsOf(processId_))
        if (ClassName(window) == className)
            return window;
    return nullptr;
}

std::wstring RunningProgram::WindowText(HWND window) const
{
    std::vector<wchar_t> text(size_t(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1);
    SendMessageW(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
    return text.data();
}

std::vector<HWND> RunningProgram::Popups() const
{
    std::vector<HWND> popups;
    for (HWND window : TopLevelWindowsOf(processId_)) {
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
        if (IsWindowVisible(window) && (style & WS_EX_TOOLWINDOW) && (style & WS_EX_TOPMOST))
            popups.push_back(window);
    }
    return popups;
}

HWND RunningProgram::ShownChildOfClass(const std::wstring& className) const
{
    // The window's controls get their windows when it is first shown.
    HWND main = MainWindow();
    if (main && !IsWindowVisible(main))
        DoubleClickTrayIcon();
    HWND child = nullptr;
    WaitUntil([&] { return main && (child = FindWindowOfClass(className, main)) != nullptr; }, 10000);
    return child;
}

std::string RunningProgram::LogText() const
{
    HWND log = ShownChildOfClass(L"RICHEDIT50W");
    // The box is filled once the window has been shown, and shown once it holds the whole log.
    if (!log || !WaitUntil([&] { return (GetWindowLongW(log, GWL_STYLE) & WS_VISIBLE) != 0; }, 30000))
        return {};
    return Narrow(WindowText(log));
}

bool RunningProgram::SoundChecked() const
{
    HWND box = ShownChildOfClass(L"Button");
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool RunningProgram::DoubleClickTrayIcon() const
{
    HWND tray = nullptr;
    if (!WaitUntil([&] { return (tray = FindWindowOfClass(L"SorielTrayIcon")) != nullptr; }, 10000))
        return false;
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(tray, kTrayCallback, kIconId, mouse);
    return true;
}

void RunningProgram::SendCommand(unsigned command) const
{
    PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

bool RunningProgram::Exit(unsigned timeoutMs)
{
    SendCommand(cmdExit);
    return WaitForExit(timeoutMs);
}

bool RunningProgram::WaitForExit(unsigned timeoutMs) const
{
    return WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool RunningProgram::Running() const { return !WaitForExit(0); }

void RunningProgram::Kill()
{
    if (process_ && Running()) {
        TerminateProcess(process_.Get(), 1);
        WaitForExit(5000);
    }
}

bool TrayIconPresent(HWND trayWindow)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = trayWindow;
    data.uID = kIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

namespace {

std::string TakeText(BSTR text)
{
    std::string result = text ? Narrow(text) : std::string();
    SysFreeString(text);
    return result;
}

} // namespace

std::vector<AccessibleElement> ReadAccessible(HWND window)
{
    static const ComApartment apartment;
    ComPtr<IAccessible> client;
    std::vector<AccessibleElement> elements;
    if (FAILED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), kIIDAccessible,
                                          reinterpret_cast<void**>(client.Put()))))
        return elements;
    long children = 0;
    client->get_accChildCount(&children);
    for (long id = CHILDID_SELF; id <= children; ++id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        AccessibleElement element;
        VARIANT role{}, state{};
        if (SUCCEEDED(client->get_accRole(child, &role)) && role.vt == VT_I4)
            element.role = role.lVal;
        if (SUCCEEDED(client->get_accState(child, &state)) && state.vt == VT_I4)
            element.state = state.lVal;
        BSTR text = nullptr;
        if (SUCCEEDED(client->get_accName(child, &text)))
            element.name = TakeText(text);
        text = nullptr;
        if (SUCCEEDED(client->get_accDescription(child, &text)))
            element.description = TakeText(text);
        text = nullptr;
        if (SUCCEEDED(client->get_accValue(child, &text)))
            element.value = TakeText(text);
        elements.push_back(element);
    }
    return elements;
}
