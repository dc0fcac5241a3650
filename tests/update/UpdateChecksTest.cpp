#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "AppPath.h"
#include "DetachedSignature.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "Registry.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateSigner.h"
#include "UpdateStatus.h"

namespace {

std::string TempFile(const std::wstring& name, std::string_view bytes)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"soriel-rules-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
    WriteFileAtomically(path, bytes);
    return Narrow(path);
}

struct RemovedFile {
    std::string path;
    ~RemovedFile() { DeleteFileW(Widen(path).c_str()); }
};

TEST(FileChecks, ChecksumsSizesVersionsAndTimesOfRealFiles)
{
    // Expected sums worked out once in Python from the rule as written (a reflected CRC-32
    // table built bit by bit); the CRC variant differs from zlib.crc32 on each of these.
    std::string pattern(10000, '\0');
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = char((i * 7 + 3) & 0xFF);
    struct Case {
        const wchar_t* name;
        std::string bytes;
        uint32_t byteSum;
        uint32_t crc;
    };
    const Case cases[] = {
        {L"empty", "", 0xFFFFFFFF, 0},
        {L"abc", "abc", 0x125, 0x6C8D9D41},
        {L"pattern", pattern, 0x136FF7, 0xD5EDEFDE},
        {L"block", std::string(4096, '\xFF'), 0xFEFFF, 0x7D10D541},
    };
    for (const Case& c : cases) {
        RemovedFile file{TempFile(c.name, c.bytes)};
        EXPECT_EQ(FileByteSum(file.path), c.byteSum) << file.path;
        EXPECT_EQ(FileCRC(file.path), c.crc) << file.path;
        EXPECT_EQ(FileSizeOf(file.path), int64_t(c.bytes.size())) << file.path;
        auto modified = FileModifiedTime(file.path);
        ASSERT_TRUE(modified);
        EXPECT_LT(std::abs(*modified - NowLocal()), 60.0 / 86400) << "local time, as control files write it";
    }

    const std::string missing = Narrow(GetAppPath()) + "no-such-file.bin";
    EXPECT_EQ(FileByteSum(missing), 0xFFFFFFFF);
    EXPECT_EQ(FileCRC(missing), 0u);
    EXPECT_LT(FileSizeOf(missing), 0);
    EXPECT_FALSE(FileModifiedTime(missing));
    EXPECT_EQ(FileVersionOf(missing), VersionHalves{});

    // This program carries file version 1.2.3.4 and product version 9.9.9.9.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(FileVersionOf(Narrow(self)), (VersionHalves{0x00010002, 0x00030004}));
}

TEST(Registry, UserKeyRoundTrip)
{
    const std::string path = "Software\\Soriel online tests\\rules-" + std::to_string(GetCurrentProcessId());
    struct RemovedKey {
        std::string path;
        ~RemovedKey() { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(path).c_str()); }
    } removed{path};

    EXPECT_FALSE(TRegistryKey::OpenForReading(HKEY_CURRENT_USER, path));
    {
        TRegistryKey key = TRegistryKey::OpenOrCreateUserKey(path);
        key.WriteString("LastURL", "http://127.0.0.1:8080/upd/app1h.inf");
        key.WriteString("LastDate", "Příliš žluťoučký");
        EXPECT_FALSE(key.ReadString("LastTime"));
    }
    auto reopened = TRegistryKey::OpenForReading(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->ReadString("LastURL"), "http://127.0.0.1:8080/upd/app1h.inf");
    EXPECT_EQ(reopened->ReadString("LastDate"), "Příliš žluťoučký");

    const TDateTime day = 47484 + 0.75; // 1 January 2030 18:00
    EXPECT_EQ(ParseShortDate(ShortDateText(day)), 47484);
    EXPECT_EQ(ParseTime(TimeText(day)), 0.75);
}

TEST(UpdateStatus, TextsFromTheStringTable)
{
    EXPECT_EQ(StatusText(usHttpStatus, "404"), "Http status : 404");
    EXPECT_EQ(StatusText(usDownloadFilePrompt, "x"), "Download update file : ");
    EXPECT_EQ(StatusText(usFinished, "ignored"), "Finished processing update control file");
    EXPECT_EQ(StatusText(usCannotDownloadFile, "C:\\a b.exe"), "Cannot download update file : C:\\a b.exe");
    EXPECT_EQ(StatusText(usFtpClosed, "x"), "");
}

TEST(DetachedSignature, SignedControlFilesAndDigests)
{
    const std::string control = "[update]\r\ndate=01/01/2030\r\n[files]\r\ncount=1\r\n[file1]\r\n"
                                "url=http://127.0.0.1:49152/data.bin\r\nsha256=00\r\n";
    // The throw-away pair's public half: the one a build without a configured key has built in.
    const PublicKeyBytes trusted = TestSigner::BuildPair().PublicKey();
    const std::string signature = SignControlFile(control);
    EXPECT_TRUE(VerifyControlFileSignature(control, signature, trusted));

    std::string changed = control;
    changed[10] ^= 1;
    EXPECT_FALSE(VerifyControlFileSignature(changed, signature, trusted));
    EXPECT_FALSE(VerifyControlFileSignature(control, "", trusted));
    std::string badBase64 = signature;
    badBase64[0] = '!';
    EXPECT_FALSE(VerifyControlFileSignature(control, badBase64, trusted));
    EXPECT_FALSE(VerifyControlFileSignature(control, signature + signature, trusted));

    const TestSigner other = TestSigner::Generated();
    EXPECT_FALSE(VerifyControlFileSignature(control, other.Sign(control), trusted));
    EXPECT_TRUE(VerifyControlFileSignature(control, other.Sign(control), other.PublicKey()));

    // tools/sign-update.sh signed this file at build time with the same throw-away key.
    const std::wstring folder = GetAppPath() + L"update-fixture\\";
    auto fixture = ReadWholeFile(folder + L"app1h.inf");
    auto fixtureSignature = ReadWholeFile(folder + L"app1h.inf.sig");
    auto fixtureDigest = ReadWholeFile(folder + L"app1h.inf.sha256");
    ASSERT_TRUE(fixture && fixtureSignature && fixtureDigest);
    EXPECT_TRUE(VerifyControlFileSignature(*fixture, *fixtureSignature, trusted));

    Sha256 streamed;
    for (size_t at = 0; at < fixture->size(); at += 7)
        streamed.Update(std::string_view(*fixture).substr(at, 7));
    EXPECT_EQ("sha256=" + streamed.HexDigest() + "\n", *fixtureDigest);

    Sha256 abc;
    abc.Update("a");
    abc.Update("bc");
    EXPECT_EQ(abc.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

} // namespace
