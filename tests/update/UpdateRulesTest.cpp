#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "AuthenticationText.h"
#include "Base64.h"
#include "ControlDate.h"
#include "ControlExpiry.h"
#include "ControlSerial.h"
#include "FileDate.h"
#include "PendingSerialRule.h"
#include "PrefixExpansion.h"
#include "UpdateStatus.h"
#include "VersionRules.h"

namespace {

TEST(VersionRules, ParsesFourPartsWithEitherSeparator)
{
    struct Case {
        const char* text;
        VersionHalves expected;
    };
    const Case cases[] = {
        {"1.2.3.4", {0x00010002, 0x00030004}},
        {"1,2,3,4", {0x00010002, 0x00030004}},
        {"2,0,0,1", {0x00020000, 0x00000001}},
        {"2.0.0.1", {0x00020000, 0x00000001}},
        {"1,2.3,4", {0x00010000, -1}}, // a comma makes "," the separator: part 2 is "2.3"
        {"1.2.3", {0x00010002, -1}},
        {"1.2", {-1, -1}},
        {"", {-1, -1}},
        {"x.2.3.4", {-1, -1}},
        {"1.2.3.x", {0x00010002, -1}},
        {"65537.2.65536.4", {0x00010002, 0x00000004}}, // parts cut to 16 bits
        {"32768.0.0.0", {int32_t(0x80000000), 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseVersion(c.text), c.expected) << c.text;
}

TEST(VersionRules, DottedTextAndSignedComparison)
{
    EXPECT_EQ(DottedVersion({0x00010002, 0x00030004}), "1.2.3.4");
    EXPECT_EQ(DottedVersion({}), "65535.65535.65535.65535");
    EXPECT_EQ(DottedVersion(ParseVersion("40000.1.2.3")), "40000.1.2.3");

    struct Case {
        const char* candidate;
        const char* local;
        bool higher;
    };
    const Case cases[] = {
        {"1.2.3.5", "1.2.3.4", true},   {"1.2.3.4", "1.2.3.4", false}, {"1.3.0.0", "1.2.9.9", true},
        {"1.2.3.4", "1.2.3.5", false},  {"2.0.0.0", "1.9.9.9", true},  {"32768.0.0.0", "1.0.0.0", false},
        {"1.0.0.0", "32768.0.0.0", true}, {"1.0.0.32768", "1.0.0.1", true}, {"1.0.32768.0", "1.0.1.0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsHigherVersion(ParseVersion(c.candidate), ParseVersion(c.local)), c.higher)
            << c.candidate << " over " << c.local;
}

TEST(PrefixExpansion, ExpandsKnownNamesAndEndsOnEveryValue)
{
    const std::map<std::string, std::string> values = {
        {"APP", "C:\\."},
        {"WIN", "C:\\Windows"},
        {"PF", "\\\\host\\share\\."},
        {"A{B", "inner"},
        {"NEST", "{WIN}\\system32"},
        {"LOOP", "x{loop}y"},
        {"PING", "<{PONG}>"},
        {"PONG", "[{PING}]"},
        {"GROW", "{GROW}{GROW}"},
        {"OPEN", "{"},
        {"ONE", "1"},
    };
    auto lookup = [&](const std::string& name) {
        auto found = values.find(name);
        if (found != values.end())
            return found->second;
        // Every "Z..." name names a longer one: only the nesting limit ends this chain.
        return name.starts_with("Z") ? "{" + name + "Z}" : std::string();
    };
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"{APP}\\main.exe", "C:\\.\\main.exe"},
        {"{app}\\a;{Win}\\b", "C:\\.\\a;C:\\Windows\\b"},
        {"{PF}\\Soriel", "\\\\host\\share\\.\\Soriel"},
        {"{UNKNOWN}\\x{WIN}", "{UNKNOWN}\\xC:\\Windows"},
        {"{}{WIN", "{}{WIN"},
        {"{A{B}!", "inner!"},
        {"{NEST}\\x", "C:\\Windows\\system32\\x"},
        {"{LOOP}", "x{loop}y"},
        {"{PING}", "<[{PING}]>"},
        {"{GROW}.", "{GROW}{GROW}."},
        {"{Z}", "{ZZZZZZZZZZZZZZZZZ}"},
        // A name that runs past the end of a value closes that value: the same name
        // after it expands again.
        {"{OPEN}ONE}{OPEN}", "1{"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandPrefixNames(c.text, lookup), c.expected) << c.text;
}

TEST(PrefixExpansion, FoldersTakeOneForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Windows", "C:\\Windows"}, {"C:\\Windows\\", "C:\\Windows"},       {"C:\\", "C:\\."},
        {"C:", "C:\\."},                {"\\\\host\\share", "\\\\host\\share\\."}, {"", ""},
    };
    for (auto [folder, expected] : cases)
        EXPECT_EQ(NormalisedFolder(folder), expected) << folder;
}

TEST(ControlDate, DatesInEachOrderWithTheirSeparators)
{
    // Day numbers since 30 December 1899, worked out with Python's datetime.
    struct Case {
        const char* text;
        const char* format;
        char separator;
        std::optional<double> days;
    };
    const Case cases[] = {
        {"01/01/1980", "dd/mm/yyyy", '/', 29221},
        {"29.02.2024", "dd.mm.yyyy", '.', 45351},
        {"2/29/2000", "mm/dd/yyyy", '/', 36585},
        {"2079-12-31", "yyyy-mm-dd", '-', 65745},
        {" 17/5/99 ", "d/m/yy", '/', 36297},
        {"31/12/79", "dd/mm/yy", '/', 65745},
        {"1/1/80", "dd/mm/yy", '/', 29221},
        {"29/02/2023", "dd/mm/yyyy", '/', std::nullopt},
        {"31/04/2024", "dd/mm/yyyy", '/', std::nullopt},
        {"13/13/2024", "dd/mm/yyyy", '/', std::nullopt},
        {"01.01.1980", "dd/mm/yyyy", '/', std::nullopt},
        {"01/01", "dd/mm/yyyy", '/', std::nullopt},
        {"01/01/1980/1", "dd/mm/yyyy", '/', std::nullopt},
        {"aa/01/1980", "dd/mm/yyyy", '/', std::nullopt},
        {"", "dd/mm/yyyy", '/', std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseControlDate(c.text, c.format, c.separator), c.days) << c.text << " " << c.format;
}

TEST(ControlDate, TimesAndTheFallBacks)
{
    EXPECT_DOUBLE_EQ(*ParseControlTime("12:30", ':'), (12 * 60 + 30) / 1440.0);
    EXPECT_DOUBLE_EQ(*ParseControlTime("23.59.59", '.'), (86400 - 1) / 86400.0);
    EXPECT_DOUBLE_EQ(*ParseControlTime("0:00", ':'), 0);
    for (const char* bad : {"24:00", "12:60", "12:30:60", "12", "12:30:00:00", "12-30", "ab:cd", ""})
        EXPECT_FALSE(ParseControlTime(bad, ':')) << bad;

    EXPECT_EQ(ControlDateTime("not a date", "", "dd/mm/yyyy", '/', ':'), 29221);
    EXPECT_EQ(ControlDateTime("01/01/2030", "25:00", "dd/mm/yyyy", '/', ':'), 47484);
    // The tie is the caller's: a file written at exactly the control file's time has an equal value.
    const uint64_t fileTime = 135379728000000000; // 1 January 2030 12:00, ticks since 1601 (Python)
    const TDateTime control = ControlDateTime("01/01/2030", "12:00", "dd/mm/yyyy", '/', ':');
    EXPECT_EQ(control, 47484.5);
    EXPECT_EQ(DateTimeToFileDate(control), fileTime);

    const DateTimeParts parts{2024, 2, 29, 23, 59, 58, 250};
    const DateTimeParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(std::tie(back.Year, back.Month, back.Day, back.Hour, back.Minute, back.Second, back.Millisecond),
              std::tie(parts.Year, parts.Month, parts.Day, parts.Hour, parts.Minute, parts.Second, parts.Millisecond));
}

// A control file counts to the end of its expiry day in UTC; with a key it must name one.
TEST(ControlExpiry, CountsToTheEndOfTheDay)
{
    const TDateTime lastSecond = EncodeDateTime({2026, 3, 15, 23, 59, 59, 999});
    const TDateTime nextDay = EncodeDateTime({2026, 3, 16});
    const TDateTime leapDay = EncodeDateTime({2024, 2, 29, 12});
    struct Case {
        const char* expires;
        TDateTime now;
        bool required;
        ExpiryVerdict expected;
    };
    const Case cases[] = {
        {"2026-03-15", lastSecond, true, ExpiryVerdict::Current},
        {"2026-03-15", nextDay, true, ExpiryVerdict::Expired},
        {"2026-03-14", lastSecond, false, ExpiryVerdict::Expired},
        {"2026-04-01", nextDay, true, ExpiryVerdict::Current},
        {"2024-02-29", leapDay, true, ExpiryVerdict::Current},
        {"", nextDay, true, ExpiryVerdict::Missing},
        {"", nextDay, false, ExpiryVerdict::Current},
        {"2026-3-15", lastSecond, true, ExpiryVerdict::Malformed},
        {"15/03/2026", lastSecond, true, ExpiryVerdict::Malformed},
        {"2026-02-29", lastSecond, true, ExpiryVerdict::Malformed},
        {"2026-03-15x", lastSecond, false, ExpiryVerdict::Malformed},
        {"+026-03-15", lastSecond, true, ExpiryVerdict::Malformed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeExpiry(c.expires, c.now, c.required), c.expected) << c.expires << " " << c.required;
    EXPECT_EQ(IsoDateText(lastSecond), "2026-03-15");
}

// The serial to pass is the higher of the stored one and the build's floor; a stored value
// that is not a serial is told and counts as absent. One pending is a bar for lower ones only.
TEST(ControlSerial, TheStoredSerialAndTheFloor)
{
    struct Case {
        std::optional<std::string> stored;
        unsigned long long floor;
        std::optional<unsigned long long> serial;
        SerialVerdict expected;
        bool storedUnreadable;
        std::optional<unsigned long long> pending = std::nullopt;
    };
    const Case cases[] = {
        {std::nullopt, 0, 1, SerialVerdict::Fresh, false},
        {std::nullopt, 0, std::nullopt, SerialVerdict::Refused, false},
        {std::nullopt, 7, 6, SerialVerdict::Refused, false},
        {std::nullopt, 7, 7, SerialVerdict::NothingNew, false},
        {std::nullopt, 7, 8, SerialVerdict::Fresh, false},
        {"9", 7, 8, SerialVerdict::Refused, false},
        {"9", 7, 9, SerialVerdict::NothingNew, false},
        {"5", 7, 6, SerialVerdict::Refused, false},
        {"5", 0, 6, SerialVerdict::Fresh, false},
        {"five", 7, 7, SerialVerdict::NothingNew, true},
        {"five", 7, 8, SerialVerdict::Fresh, true},
        {"", 0, 1, SerialVerdict::Fresh, true},
        {"18446744073709551616", 3, 4, SerialVerdict::Fresh, true}, // beyond 64 bits
        {"5", 0, 7, SerialVerdict::Refused, false, 8},
        {"5", 0, 8, SerialVerdict::Fresh, false, 8},
        {"5", 0, 9, SerialVerdict::Fresh, false, 8},
        {"5", 0, 5, SerialVerdict::NothingNew, false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(none)") + " floor " + std::to_string(c.floor));
        const SerialBar bar = SerialToReach(c.stored, c.floor);
        EXPECT_EQ(JudgeSerial(c.serial, bar.Serial, c.pending), c.expected);
        EXPECT_EQ(bar.StoredUnreadable, c.storedUnreadable);
    }
}

TEST(UpdateStatus, LogLineWithTheGivenSeparators)
{
    const TDateTime at = 46088 + (9 * 3600 + 5 * 60 + 4) / 86400.0; // 7 March 2026 09:05:04
    EXPECT_EQ(StatusLogLine(at, '.', '-', 953, "", 3, 0), "07.03.2026 09-05-04 : [953]  (Status:3) (Error:0)");
    EXPECT_EQ(StatusLogLine(at, '/', ':', 916, "Http status : 404", 6, 404),
              "07/03/2026 09:05:04 : [916] Http status : 404 (Status:6) (Error:404)");
}

TEST(AuthenticationText, StrictBase64AndDigestValues)
{
    const std::pair<const char*, std::optional<std::string>> decoded[] = {
        {"YWJj", "abc"}, {"YQ==", "a"},         {"YWI=", "ab"},          {"", ""},
        {"YWJ", {}},     {"YW=j", {}},          {"Y===", {}},            {"YR==", {}}, // unused bits set
        {"YW Jj", {}},   {"YWJj\n", {}},        {"YQ==YWJj", {}},        {"YW*j", {}},
    };
    for (const auto& [text, expected] : decoded)
        EXPECT_EQ(Base64Decode(text), expected) << text;

    const std::string sig64 = Base64Encode(std::string(64, '\x7F'));
    EXPECT_TRUE(ParseSignatureText(" " + sig64 + "\r\n"));
    EXPECT_FALSE(ParseSignatureText(Base64Encode(std::string(63, '\x7F'))));
    EXPECT_FALSE(ParseSignatureText(sig64 + "\r\n" + sig64));
    EXPECT_FALSE(ParseSignatureText(""));

    const std::string hex = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    EXPECT_EQ(ParseSha256Value(hex), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_FALSE(ParseSha256Value(hex.substr(1)));
    EXPECT_FALSE(ParseSha256Value(hex.substr(1) + "g"));
    EXPECT_FALSE(ParseSha256Value(" " + hex));
}

} // namespace

// A pending serial counts once every file is in place; a rollback or a lost file drops it, a
// component still waiting keeps it, and it never lowers the serial carried out.
TEST(PendingSerial, SettledByWhatTheUpdaterLeft)
{
    const std::string a(64, 'a'), b(64, 'b');
    const PendingCheck inPlace{a, false, a}, rolledBack{a, false, b}, lost{a, false, std::nullopt},
        newLeft{a, true, b}, cabinetApplied{"", false, std::nullopt}, cabinetLeft{"", true, std::nullopt};
    const struct {
        const char* name;
        std::optional<unsigned long long> pending, stored;
        std::vector<PendingCheck> checks;
        PendingOutcome outcome;
    } cases[] = {
        {"nothing pending", std::nullopt, 5, {inPlace}, PendingOutcome::None},
        {"files in place", 6, 5, {inPlace, cabinetApplied}, PendingOutcome::Store},
        {"first serial", 6, std::nullopt, {inPlace}, PendingOutcome::Store},
        {"rolled back", 6, 5, {inPlace, rolledBack}, PendingOutcome::Drop},
        {"new file gone, target missing", 6, 5, {lost}, PendingOutcome::Drop},
        {"new file left over", 6, 5, {newLeft}, PendingOutcome::Wait},
        {"cabinet left over", 6, 5, {inPlace, cabinetLeft}, PendingOutcome::Wait},
        {"not above the stored serial", 5, 5, {inPlace}, PendingOutcome::Drop},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettlePending(c.pending, c.stored, c.checks), c.outcome) << c.name;

    const std::vector<PendingFile> files = {{"C:\\Program Files\\App\\main.exe_NEW", a}, {"C:\\App\\x.CAB", ""}};
    const std::string text = PendingFilesText(files);
    const std::vector<PendingFile> read = ParsePendingFiles(text);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Path, files[0].Path);
    EXPECT_EQ(read[0].Sha256, a);
    EXPECT_EQ(read[1].Path, files[1].Path);
    EXPECT_EQ(read[1].Sha256, "");
    // The same files are handed to the updater twice at most; other files start afresh.
    EXPECT_EQ(NextHandOver(text, 1, text), 2u);
    EXPECT_EQ(NextHandOver(text, kMostHandOvers, text), std::nullopt);
    EXPECT_EQ(NextHandOver("", 0, text), 1u);
    EXPECT_EQ(NextHandOver(text, kMostHandOvers, PendingFilesText({files[0]})), 1u);
}
