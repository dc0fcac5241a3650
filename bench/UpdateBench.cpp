// One 50 MB update download through the update component (messages pumped, progress
// events, SHA-256 of the bytes) next to a bare loop of WinInet reads into a file, against
// the same loopback server in the same run. Alternated, seven times each; the fastest of
// each are compared, as other load on the machine only ever adds time, and so is the CPU
// time of the process (server thread included), which that load hardly changes.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "AUpdate.h"
#include "Application.h"
#include "BenchClock.h"
#include "DetachedSignature.h"
#include "InternetHandle.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "Win32Handle.h"

namespace {

constexpr size_t kFileSize = 50u << 20;
constexpr int kRounds = 7;

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

// The component's whole transfer: session, request, blocks with messages pumped and
// progress events, the digest when one is expected, the file put in place.
bool UpdateDownload(const std::string& url, const std::string& folder, const std::optional<std::string>& digest)
{
    TAutoUpdate update(nullptr);
    update.UpdateType = TAutoUpdateType::httpUpdate;
    update.TempDirectory = folder;
    long long progressEvents = 0;
    update.OnFileProgress = [&](TAutoUpdate&, const std::string&, int, int) { ++progressEvents; };
    const bool done =
        update.OpenInternetSession() == 0 && update.DownloadFile(update.ConnectionHandle(), url, false, folder, digest);
    update.CloseInternetSession();
    return done && progressEvents > 0;
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

    std::vector<double> bare, component, componentWithoutDigest, digestOnly, bareCpu, componentCpu;
    for (int round = 0; round < kRounds; ++round) {
        double start = NowMs();
        Sha256 blocks;
        for (size_t at = 0; at < payload.size(); at += 4096)
            blocks.Update(std::string_view(payload).substr(at, 4096));
        blocks.HexDigest();
        digestOnly.push_back(NowMs() - start);

        start = NowMs();
        double cpu = CpuMs();
        if (BareDownload(url, folder + "bare.bin") != kFileSize)
            return std::fprintf(stderr, "bare download incomplete\n"), 1;
        bare.push_back(NowMs() - start);
        bareCpu.push_back(CpuMs() - cpu);

        for (bool withDigest : {true, false}) {
            start = NowMs();
            cpu = CpuMs();
            if (!UpdateDownload(url, folder, withDigest ? std::optional(expectedSha256) : std::nullopt))
                return std::fprintf(stderr, "update download failed\n"), 1;
            (withDigest ? component : componentWithoutDigest).push_back(NowMs() - start);
            if (withDigest)
                componentCpu.push_back(CpuMs() - cpu);
        }
    }
    for (const char* name : {"bare.bin", "big.bin"})
        DeleteFileW(Widen(folder + name).c_str());
    RemoveDirectoryW(Widen(folder).c_str());

    const double fastestComponent = *std::min_element(component.begin(), component.end());
    const double fastestBare = *std::min_element(bare.begin(), bare.end());
    const double ratio = fastestComponent / fastestBare;
    std::printf("update download of 50 MB: component %.0f ms, bare WinInet loop %.0f ms (fastest of %d; medians %.0f "
                "and %.0f ms): %.2fx (target < 1.3x: %s)\n",
                fastestComponent, fastestBare, kRounds, Median(component), Median(bare), ratio,
                ratio < 1.3 ? "met" : "missed");
    std::printf("  without a digest (no key set): %.0f ms, %.2fx; the SHA-256 of the 50 MB alone: %.0f ms\n",
                *std::min_element(componentWithoutDigest.begin(), componentWithoutDigest.end()),
                *std::min_element(componentWithoutDigest.begin(), componentWithoutDigest.end()) / fastestBare,
                *std::min_element(digestOnly.begin(), digestOnly.end()));
    std::printf("  CPU time of the process (medians): component %.0f ms, bare loop %.0f ms: %.2fx\n",
                Median(componentCpu), Median(bareCpu), Median(componentCpu) / Median(bareCpu));
    return 0;
}
