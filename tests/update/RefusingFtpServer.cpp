#include "RefusingFtpServer.h"

#include <winsock2.h>

namespace {

void Send(SOCKET client, const std::string& line)
{
    const std::string bytes = line + "\r\n";
    send(client, bytes.data(), int(bytes.size()), 0);
}

} // namespace

RefusingFtpServer::RefusingFtpServer(std::string loginAnswer) : loginAnswer_(std::move(loginAnswer))
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    listener_ = listener;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

RefusingFtpServer::~RefusingFtpServer()
{
    closesocket(SOCKET(listener_));
    thread_.join();
    WSACleanup();
}

std::vector<std::string> RefusingFtpServer::Commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

// Ends when the listening socket is closed.
void RefusingFtpServer::Serve()
{
    for (SOCKET client; (client = accept(SOCKET(listener_), nullptr, nullptr)) != INVALID_SOCKET;) {
        // A client that neither ends nor speaks cannot hold the server (and the test) for long.
        const DWORD timeoutMs = 10000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
        Send(client, "220 Soriel test server");
        std::string received;
        char chunk[512];
        for (int got; (got = recv(client, chunk, sizeof chunk, 0)) > 0;) {
            received.append(chunk, size_t(got));
            for (size_t end; (end = received.find("\r\n")) != std::string::npos; received.erase(0, end + 2)) {
                const std::string command = received.substr(0, end);
                {
                    std::lock_guard lock(mutex_);
                    commands_.push_back(command);
                }
                Send(client, command.rfind("QUIT", 0) == 0 ? "221 Goodbye" : loginAnswer_);
            }
        }
        closesocket(client);
    }
}
