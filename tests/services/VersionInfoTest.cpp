#include <gtest/gtest.h>

#include <windows.h>

#include "AppPath.h"
#include "Text.h"
#include "VersionInfo.h"

namespace {

std::string InTestFolder(const wchar_t* name) { return Narrow(GetAppPath() + name); }

void ExpectNothingRead(const TVersionInfo& info)
{
    for (int index = 1; index <= 4; ++index)
        EXPECT_EQ(info.Number(index), -1);
    EXPECT_EQ(info.DateTime(), 0);
    for (int index = 1; index <= 10; ++index)
        EXPECT_EQ(info.Text(index), "");
}

// The program and its decoder library carry the one version, so that an update's version
// check covers both.
TEST(VersionInfo, ReadsTheProjectVersionFromMainExeAndItsLibrary)
{
    for (const char* name : {"main.exe", "orcoredll.dll"}) {
        SCOPED_TRACE(name);
        TVersionInfo info(nullptr);
        info.SetFileName(Narrow(GetAppPath()) + name);
        EXPECT_EQ(info.FileVersion(), PROJECT_VERSION_TEXT);
        EXPECT_EQ(info.ProductName(), "Soriel online");
        EXPECT_EQ(info.OriginalFilename(), name);
        EXPECT_EQ(std::to_string(info.MajorVersion()) + "." + std::to_string(info.MinorVersion()) + "." +
                      std::to_string(info.Release()),
                  PROJECT_VERSION_TEXT);
        EXPECT_EQ(info.Build(), 0);
        EXPECT_EQ(info.DateTime(), -109205.0);
        // The tests' build trusts the throw-away update key, and says so.
        EXPECT_NE(info.Comments().find("throw-away key"), std::string::npos) << info.Comments();
    }
}

// This test program carries a resource 1.2.3.4 with two translations.
TEST(VersionInfo, ReadsNumbersAndOnlyTheFirstTranslationsTexts)
{
    TVersionInfo info(nullptr);
    info.SetFileName(InTestFolder(L"services_test.exe"));
    EXPECT_EQ(info.MajorVersion(), 1);
    EXPECT_EQ(info.MinorVersion(), 2);
    EXPECT_EQ(info.Release(), 3);
    EXPECT_EQ(info.Build(), 4);
    EXPECT_EQ(info.Number(0), -1);
    EXPECT_EQ(info.Number(5), -1);
    EXPECT_EQ(info.FileVersion(), "first translation");
    EXPECT_EQ(info.ProductName(), "Soriel test");
    EXPECT_EQ(info.Comments(), "");
    EXPECT_EQ(info.Text(0), "");
    EXPECT_EQ(info.Text(11), "");
}

TEST(VersionInfo, FilesWithoutVersionInformationGiveTheFailureResults)
{
    TVersionInfo info(nullptr);
    ExpectNothingRead(info);
    info.SetFileName(InTestFolder(L"ticktock.wav"));
    ExpectNothingRead(info);
    info.SetFileName(InTestFolder(L"no such file.exe"));
    ExpectNothingRead(info);
    info.SetFileName(InTestFolder(L"main.exe"));
    info.SetFileName("");
    ExpectNothingRead(info);
}

TEST(VersionInfo, AssigningTheSameNameAgainDoesNotReadAgain)
{
    std::wstring copy = GetAppPath() + L"version copy ž.exe";
    ASSERT_TRUE(CopyFileW((GetAppPath() + L"main.exe").c_str(), copy.c_str(), FALSE));
    TVersionInfo info(nullptr);
    info.SetFileName(Narrow(copy));
    DeleteFileW(copy.c_str());
    info.SetFileName(Narrow(copy));
    EXPECT_EQ(info.FileVersion(), PROJECT_VERSION_TEXT);
    info.SetFileName(InTestFolder(L"main.exe"));
    info.SetFileName(Narrow(copy));
    EXPECT_EQ(info.FileVersion(), "");
}

} // namespace
