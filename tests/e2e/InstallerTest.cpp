#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "AppPath.h"
#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "Registry.h"
#include "Text.h"

namespace {

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Soriel online";
const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kLog = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\f0 Zpr\\u225?va z vily\\par\r\n}\r\n";

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH];
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

const std::wstring kInstallFolder = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Soriel online\\";
const std::wstring kShortcut = KnownFolder(CSIDL_PROGRAMS) + L"\\Soriel online.lnk";

std::optional<std::string> UserValue(const std::string& key, const std::string& name)
{
    auto opened = TRegistryKey::OpenForReading(HKEY_CURRENT_USER, key);
    return opened ? opened->ReadString(name) : std::nullopt;
}

std::optional<DWORD> UserNumber(const std::string& key, const std::string& name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, Widen(key).c_str(), Widen(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a program to its end; its exit code, or nothing when it did not start or end in time.
std::optional<DWORD> RunToEnd(const std::wstring& commandLine)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return std::nullopt;
    KernelHandle owned(process.hProcess);
    CloseHandle(process.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(owned.Get(), 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(owned.Get(), &code))
        return std::nullopt;
    return code;
}

// Nothing of an install is left before and after the test, whatever its outcome: a Run value
// left behind would start the program with the next Wine session.
struct CleanProfile {
    CleanProfile() { Clean(); }
    ~CleanProfile() { Clean(); }
    static void Clean()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), L"Soriel online");
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kUninstallKey).c_str());
        DeleteFileW(kShortcut.c_str());
        RemoveTree(kInstallFolder);
    }
};

} // namespace

TEST(Installer, InstallsPerUserUpgradesARunningCopyAndUninstallsSilently)
{
    CleanProfile profile;
    const std::wstring setup = GetAppPath() + L"..\\soriel-online-" PROJECT_VERSION_TEXT L"-setup.exe";
    ASSERT_TRUE(Exists(setup));

    ASSERT_EQ(RunToEnd(L"\"" + setup + L"\" /S"), 0u);
    for (const wchar_t* name : {L"main.exe", L"orcoredll.dll", L"ticktock.wav", L"uninstall.exe"})
        EXPECT_TRUE(Exists(kInstallFolder + name)) << Narrow(name);
    EXPECT_TRUE(Exists(kShortcut));
    const std::string installedProgram = Narrow(kInstallFolder) + "main.exe";
    EXPECT_EQ(UserValue(kRunKey, "Soriel online"), "\"" + installedProgram + "\"");
    EXPECT_EQ(UserValue(kUninstallKey, "DisplayName"), "Soriel online");
    EXPECT_EQ(UserValue(kUninstallKey, "DisplayVersion"), PROJECT_VERSION_TEXT);
    EXPECT_EQ(UserValue(kUninstallKey, "Publisher"), "Soriel Soft");
    EXPECT_EQ(UserValue(kUninstallKey, "DisplayIcon"), installedProgram + ",0");
    EXPECT_GT(UserNumber(kUninstallKey, "EstimatedSize").value_or(0), 1000u) << "KB of the installed files";

    // The installed program runs with its icon, and keeps its log beside itself.
    const ProgramFolder installed(ProgramFolder::Prepared{kInstallFolder});
    installed.Write(L"main.ini", kQuietSources);
    installed.Write(L"news.rtf", kLog);
    installed.Write(L"news-archive.rtf", kLog);
    RunningProgram program(installed);
    HWND tray = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (tray = program.FindWindowOfClass(L"SorielTrayIcon")) != nullptr; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return TrayIconPresent(tray); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("Zpráva z vily") != std::string::npos; }, 10000));

    // An upgrade over the running copy ends it and replaces main.exe; the user's files stay.
    const FILETIME old{0, 0x01000000};
    {
        FileHandle file(CreateFileW((kInstallFolder + L"main.exe").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file && SetFileTime(file.Get(), nullptr, nullptr, &old));
    }
    ASSERT_EQ(RunToEnd(L"\"" + setup + L"\" /S"), 0u);
    EXPECT_TRUE(program.WaitForExit(10000));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW((kInstallFolder + L"main.exe").c_str(), GetFileExInfoStandard, &data));
    EXPECT_GT(CompareFileTime(&data.ftLastWriteTime, &old), 0) << "main.exe was replaced";
    auto log = installed.Read(L"news.rtf");
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("Zpr"), std::string::npos) << *log;
    EXPECT_EQ(installed.Read(L"main.ini"), kQuietSources + "[Settings]\r\nSound=1\r\n");

    // The uninstaller runs from a copy of itself: wait for its work to show.
    ASSERT_EQ(RunToEnd(L"\"" + kInstallFolder + L"uninstall.exe\" /S"), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(kInstallFolder + L"uninstall.exe"); }, 20000));
    for (const wchar_t* name : {L"main.exe", L"orcoredll.dll", L"ticktock.wav"})
        EXPECT_FALSE(Exists(kInstallFolder + name)) << Narrow(name);
    EXPECT_FALSE(Exists(kShortcut));
    EXPECT_FALSE(UserValue(kRunKey, "Soriel online"));
    EXPECT_FALSE(TRegistryKey::OpenForReading(HKEY_CURRENT_USER, kUninstallKey));
    for (const wchar_t* name : {L"news.rtf", L"news-archive.rtf", L"main.ini"})
        EXPECT_TRUE(Exists(kInstallFolder + name)) << "the user's files are kept: " << Narrow(name);
}
