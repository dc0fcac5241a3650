#include <gtest/gtest.h>

#include <set>

#include "EntryPath.h"
#include "UpdaterCommandLine.h"

namespace {

TEST(UpdaterCommandLine, NamesTheUpdaterTheProcessTheApplicationAndTheComponents)
{
    EXPECT_EQ(UpdaterCommandLine(L"C:\\Temp\\SorielUpdate-1\\upd.exe", 4242, L"C:\\Soriel\\main.exe",
                                 L"C:\\Soriel\\main.exe_NEW"),
              L"C:\\Temp\\SorielUpdate-1\\upd.exe 4242 C:\\Soriel\\main.exe C:\\Soriel\\main.exe_NEW");
    // Blanks in the temporary folder's path and in the application command (which comes quoted).
    const std::wstring line = UpdaterCommandLine(L"C:\\Users\\Jan Novák\\Temp\\SorielUpdate-7\\upd.exe", 17,
                                                 L"\"C:\\Program Files\\App\\app.exe -silent\"",
                                                 L"C:\\a.dll_NEW C:\\b.CAB");
    EXPECT_EQ(line, L"\"C:\\Users\\Jan Novák\\Temp\\SorielUpdate-7\\upd.exe\" 17 "
                    L"\"C:\\Program Files\\App\\app.exe -silent\" C:\\a.dll_NEW C:\\b.CAB");
    const std::vector<std::wstring> expected = {L"C:\\Users\\Jan Novák\\Temp\\SorielUpdate-7\\upd.exe", L"17",
                                                L"C:\\Program Files\\App\\app.exe -silent", L"C:\\a.dll_NEW",
                                                L"C:\\b.CAB"};
    EXPECT_EQ(SplitArguments(line), expected);
}

TEST(UpdaterCommandLine, QuotesComponentPathsThatHoldBlanks)
{
    const std::set<std::wstring> files = {L"C:\\Program Files\\App\\app.exe_NEW", L"C:\\App\\b.CAB",
                                          L"C:\\Program Files\\App\\my data.CAB"};
    const auto exists = [&](const std::wstring& path) { return files.count(path) > 0; };
    const struct {
        const wchar_t* text;
        const wchar_t* quoted;
    } cases[] = {
        {L"C:\\App\\b.CAB", L"C:\\App\\b.CAB"},
        {L"C:\\Program Files\\App\\app.exe_NEW C:\\App\\b.CAB",
         L"\"C:\\Program Files\\App\\app.exe_NEW\" C:\\App\\b.CAB"},
        {L"C:\\App\\b.CAB  C:\\Program Files\\App\\my data.CAB",
         L"C:\\App\\b.CAB \"C:\\Program Files\\App\\my data.CAB\""},
        // Paths not (or no longer) there stay word by word, as the text has them.
        {L"C:\\Gone Folder\\x_NEW C:\\App\\b.CAB", L"C:\\Gone Folder\\x_NEW C:\\App\\b.CAB"},
        {L"\"C:\\Program Files\\App\\app.exe_NEW\"", L"\"C:\\Program Files\\App\\app.exe_NEW\""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuotedComponentPaths(c.text, exists), c.quoted) << c.text;
}

TEST(UpdaterCommandLine, SplitsAtBlanksOutsideQuotes)
{
    const struct {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    } cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"a  b\tc ", {L"a", L"b", L"c"}},
        {L"\"C:\\dir with blank\\\" next", {L"C:\\dir with blank\\", L"next"}},
        {L"pre\"fix and\"post x", {L"prefix andpost", L"x"}},
        {L"\"\" x", {L"", L"x"}},
        {L"\"unclosed quote", {L"unclosed quote"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitArguments(c.line), c.arguments) << c.line;
}

TEST(UpdaterCommandLine, TakesOnlyDecimalDigitsAsProcessId)
{
    EXPECT_EQ(ParseProcessId(L"0"), 0ul);
    EXPECT_EQ(ParseProcessId(L"4242"), 4242ul);
    EXPECT_EQ(ParseProcessId(L"4294967295"), 4294967295ul);
    for (const wchar_t* notANumber : {L"", L"abc", L"12x", L"-5", L"+5", L" 5", L"0x10", L"4294967296", L"99999999999"})
        EXPECT_EQ(ParseProcessId(notANumber), std::nullopt) << notANumber;
}

TEST(UpdaterCommandLine, DecidesTheKindOfComponentByItsEnding)
{
    const struct {
        const wchar_t* path;
        ComponentKind kind;
    } cases[] = {
        {L"C:\\app\\main.exe_NEW", ComponentKind::Replacement},
        {L"C:\\app\\main.exe_new", ComponentKind::Replacement},
        {L"C:\\app_NEW\\main.exe_NEW", ComponentKind::Compressed}, // "_NEW" earlier in the path
        {L"C:\\app\\main.PAT", ComponentKind::Patch},
        {L"C:\\app\\main.pat", ComponentKind::Patch},
        {L"C:\\app\\data.CAB", ComponentKind::Cabinet},
        {L"C:\\app\\data.Cab", ComponentKind::Cabinet},
        {L"C:\\app.cab\\data", ComponentKind::Compressed}, // the folder's dot is no extension
        {L"C:\\app\\data.ca_", ComponentKind::Compressed},
        {L"C:\\app\\readme", ComponentKind::Compressed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComponentKindOf(c.path), c.kind) << c.path;
    EXPECT_EQ(ReplacedPath(L"C:\\app\\main.exe_NEW"), L"C:\\app\\main.exe");
    EXPECT_EQ(PatchedProgramPath(L"C:\\app\\a.PAT"), L"C:\\app\\a.EXE");
    EXPECT_EQ(PatchedProgramPath(L"C:\\my.app\\tool.v2.pat"), L"C:\\my.app\\tool.v2.EXE");
}

// The application's program, quoted to be started, and its folder, where the updater applies
// components (a component in D:\Data\ here).
TEST(UpdaterCommandLine, QuotesTheApplicationsProgramWhenItsPathHoldsABlank)
{
    const struct {
        const wchar_t* command;
        const wchar_t* started;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Program Files\\App\\app.exe -silent", L"\"C:\\Program Files\\App\\app.exe\" -silent",
         L"C:\\Program Files\\App\\"},
        {L"C:\\Program Files\\App\\APP.EXE", L"\"C:\\Program Files\\App\\APP.EXE\"", L"C:\\Program Files\\App\\"},
        {L"C:\\App\\app.exe -file C:\\with blank.txt", L"C:\\App\\app.exe -file C:\\with blank.txt", L"C:\\App\\"},
        {L"C:\\App\\app -x", L"C:\\App\\app -x", L"C:\\App\\"},
        {L"app.exe -x", L"app.exe -x", L"D:\\Data\\"},
        {L"null", L"null", L"D:\\Data\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithQuotedProgram(c.command), c.started) << c.command;
        EXPECT_EQ(ProgramFolderOf(c.command, L"D:\\Data\\pack.CAB"), c.folder) << c.command;
    }
    EXPECT_EQ(WithQuotedProgram(L"\"C:\\Program Files\\App\\app.exe\" -x"), L"\"C:\\Program Files\\App\\app.exe\" -x");
}

TEST(EntryPath, KeepsArchiveEntriesInsideTheirFolder)
{
    for (const wchar_t* inside : {L"a.txt", L"sub\\deep\\b.txt", L"sub/b.txt", L"..a\\b..", L"a..b"})
        EXPECT_TRUE(StaysInsideFolder(inside)) << inside;
    for (const wchar_t* outside : {L"", L"..\\evil.txt", L"sub\\..\\..\\evil.txt", L"sub/../x", L"..", L".\\a",
                                   L"\\Windows\\evil.dll", L"/etc/x", L"C:evil.txt", L"C:\\evil.txt",
                                   L"\\\\server\\share\\x", L"sub\\\\x", L"sub\\", L"...\\x", L". .\\x"})
        EXPECT_FALSE(StaysInsideFolder(outside)) << outside;
    EXPECT_EQ(FolderPartOf(L"sub\\deep\\b.txt"), L"sub\\deep");
    EXPECT_EQ(FolderPartOf(L"b.txt"), L"");
    EXPECT_EQ(WithBackslashes(L"sub/deep/b.txt"), L"sub\\deep\\b.txt");
}

} // namespace
