#include <gtest/gtest.h>

#include <windows.h>

#include "Exception.h"
#include "HTTPRequest.h"
#include "InternetHandle.h"
#include "ScriptedHttpServer.h"
#include "Waiting.h"
#include "Win32Handle.h"

namespace {

// Starts a program of the Linux host; Wine runs it detached, without a process handle.
bool StartHostProgram(std::wstring command)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start a host program: error " << GetLastError();
        return false;
    }
    KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    return true;
}

// Whether a client that lets an unknown CA pass gets a reply: shows the server works.
bool LenientClientGetsReply(unsigned short port)
{
    InternetHandle root(InternetOpenW(L"probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle connection(
        InternetConnectW(root.Get(), L"localhost", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle request(HttpOpenRequestW(connection.Get(), L"GET", L"/", L"HTTP/1.0", nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE, 0));
    DWORD flags = 0;
    DWORD size = sizeof flags;
    InternetQueryOptionW(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
             SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    InternetSetOptionW(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    return HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0);
}

} // namespace

TEST(Certificates, HttpsGoesOverTls)
{
    ScriptedHttpServer server;
    THTTPRequest request(nullptr);
    request.TimeoutMs = 2000;
    EXPECT_THROW(request.ExecuteURL("https://127.0.0.1:" + std::to_string(server.Port()) + "/"), Exception);
    for (const RecordedRequest& seen : server.Requests())
        EXPECT_EQ(seen.RequestLine.find("HTTP/1.0"), std::string::npos) << "no plain request on an https address";
}

TEST(Certificates, SelfSignedCertificateIsRefused)
{
    if (GetFileAttributesW(L"Z:\\usr\\bin\\openssl") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "openssl of the host is needed for a TLS server";
    const std::wstring folder = L"/tmp/soriel-tls-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring dosFolder = L"Z:" + folder;
    CreateDirectoryW(dosFolder.c_str(), nullptr);
    // The certificate appears under its name only once it is complete.
    ASSERT_TRUE(StartHostProgram(L"Z:\\bin\\sh -c \"cd " + folder +
                                 L" && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                                 L"-days 1 -subj /CN=localhost -keyout key.pem -out cert.tmp 2>/dev/null && "
                                 L"mv cert.tmp cert.pem\""));
    const std::wstring certificate = dosFolder + L"\\cert.pem";
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(certificate.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000));

    unsigned short port;
    {
        ScriptedHttpServer placeholder;
        port = placeholder.Port();
    }
    // The server ends by itself after two connections or 30 seconds.
    ASSERT_TRUE(StartHostProgram(L"Z:\\usr\\bin\\timeout 30 /usr/bin/openssl s_server -quiet -www -naccept 2 -accept " +
                                 std::to_wstring(port) + L" -cert " + folder + L"/cert.pem -key " + folder +
                                 L"/key.pem"));
    bool lenientGotReply = false;
    for (ULONGLONG end = GetTickCount64() + 15000; !lenientGotReply && GetTickCount64() < end; Sleep(200))
        lenientGotReply = LenientClientGetsReply(port);
    ASSERT_TRUE(lenientGotReply) << "the TLS server answers a client that skips the certificate check";

    THTTPRequest request(nullptr);
    try {
        request.ExecuteURL("https://localhost:" + std::to_string(port) + "/");
        ADD_FAILURE() << "a certificate of no known authority was accepted";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("12045"), std::string::npos) << error.what();
    }
    DeleteFileW((dosFolder + L"\\cert.pem").c_str());
    DeleteFileW((dosFolder + L"\\key.pem").c_str());
    RemoveDirectoryW(dosFolder.c_str());
}
