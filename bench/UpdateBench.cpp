// One 50 MB update download through the update component (messages pumped, progress
// events, SHA-256 of the bytes) next to a bare loop of WinInet reads into a file, against
// the same loopback server in the same run. Alternated, five times each; medians compared.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AUpdate.h"
#include "Application.h"
#include "BenchClock.h"
#include "InternetHandle.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSignature.h"
#include "Win32Handle.h"

namespace {

constexpr size_t kFileSize = 50u << 20;
constexpr int kRounds = 5;

std::string Payload()
{
    std::string bytes(kFileSize, '\0');
    unsigned seed = 2024;
    for (char& c : bytes) {
        seed = seed * 1103515245 + 12345;
        c = char(seed >> 16);
    }
    return bytes;
}

std::string BenchFolder()
{
    std::string folder = TAutoUpdate::TemporaryFolder() + "soriel-update-bench\\";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}

size_t BareDownload(const std::string& url, const std::string& path)
{
    InternetHandle session(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle request(InternetOpenUrlW(session.Get(), Widen(url).c_str(), nullptr, 0,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::vector<char> block(4096);
    size_t total = 0;
    DWORD count = 0;
    while (InternetReadFile(request.Get(), block.data(), DWORD(block.size()), &count) && count > 0) {
        DWORD written = 0;
        WriteFile(file.Get(), block.data(), count, &written, nullptr);
        total += count;
    }
    return total;
}

} // namespace

int main()
{
    TApplication application;
    const std::string payload = Payload();
    Sha256 digest;
    digest.Update(payload);
    const std::string expectedSha256 = digest.HexDigest();
    ScriptedHttpServer server;
    ScriptedReply reply;
    reply.Body = payload;
    server.SetReply(reply);
    const std::string url = server.Url("/files/big.bin");
    const std::string folder = BenchFolder();

    std::vector<double> bare, component;
    for (int round = 0; round < kRounds; ++round) {
        double start = NowMs();
        if (BareDownload(url, folder + "bare.bin") != kFileSize)
            return std::fprintf(stderr, "bare download incomplete\n"), 1;
        bare.push_back(NowMs() - start);

        TAutoUpdate update(nullptr);
        update.UpdateType = TAutoUpdateType::httpUpdate;
        update.TempDirectory = folder;
        long long progressEvents = 0;
        update.OnFileProgress = [&](TAutoUpdate&, const std::string&, int, int) { ++progressEvents; };
        start = NowMs();
        if (update.OpenInternetSession() != 0 ||
            !update.DownloadFile(update.ConnectionHandle(), url, false, folder, expectedSha256))
            return std::fprintf(stderr, "update download failed\n"), 1;
        component.push_back(NowMs() - start);
        update.CloseInternetSession();
    }
    for (const char* name : {"bare.bin", "big.bin"})
        DeleteFileW(Widen(folder + name).c_str());
    RemoveDirectoryW(Widen(folder).c_str());

    const double ratio = Median(component) / Median(bare);
    std::printf("update download of 50 MB: component %.0f ms, bare WinInet loop %.0f ms (medians of %d): %.2fx (target < 1.3x)\n",
                Median(component), Median(bare), kRounds, ratio);
    return ratio < 1.3 ? 0 : 2;
}
