#include <gtest/gtest.h>

#include <windows.h>

#include "ArchiveFiles.h"
#include "Cabinet.h"
#include "ProgramUnderTest.h"

namespace {

// 2021-03-04 05:06:08, the date and time the entry "sub\deep\b.txt" carries.
FILETIME EntryTime()
{
    const SYSTEMTIME entry{2021, 3, 4, 4, 5, 6, 8, 0};
    FILETIME time{};
    SystemTimeToFileTime(&entry, &time);
    return time;
}

FILETIME LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void ExpectExtracted(const ProgramFolder& folder)
{
    EXPECT_EQ(folder.Read(L"a.txt"), "top level\r\n");
    EXPECT_EQ(folder.Read(L"sub\\deep\\b.txt"), "two folders down\r\n");
    const FILETIME written = LastWriteTime(folder.File(L"sub\\deep\\b.txt"));
    const FILETIME expected = EntryTime();
    EXPECT_EQ(CompareFileTime(&written, &expected), 0);
}

TEST(Cabinet, ExtractsIntoAFolderWithSubfoldersAndEntryDates)
{
    ProgramFolder target(L"cabinet target");
    ASSERT_EQ(UnpackCabinet(ArchiveFile(L"good.cab"), target.Path()), 0);
    ExpectExtracted(target);
}

TEST(Cabinet, ExtractsRelativeToTheCurrentFolderWithoutATarget)
{
    ProgramFolder current(L"cabinet current");
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(current.Path().c_str()));
    const int result = UnpackCabinet(ArchiveFile(L"good.cab"), L"");
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(result, 0);
    ExpectExtracted(current);
}

TEST(Cabinet, FailsOnWhatIsNoSoundCabinet)
{
    ProgramFolder target(L"cabinet bad");
    target.Write(L"a.txt", "kept as it was");
    for (const wchar_t* name : {L"damaged.cab", L"c.txt", L"missing.cab"})
        EXPECT_EQ(UnpackCabinet(ArchiveFile(name), target.Path()), -1) << name;
    // Nothing that a damaged cabinet would have replaced is lost, and no part is left.
    EXPECT_EQ(target.Read(L"a.txt"), "kept as it was");
    EXPECT_FALSE(target.Exists(L"a.txt.extracting"));
    EXPECT_FALSE(target.Exists(L"sub\\deep\\b.txt.extracting"));
    // An entry that climbs out of the target folder fails the extraction and lands nowhere.
    ASSERT_TRUE(CreateDirectoryW(target.File(L"inner").c_str(), nullptr));
    EXPECT_EQ(UnpackCabinet(ArchiveFile(L"hostile.cab"), target.File(L"inner\\")), -1);
    EXPECT_FALSE(target.Exists(L"evil.txt"));
    EXPECT_FALSE(target.Exists(L"inner\\evil.txt"));
}

} // namespace
