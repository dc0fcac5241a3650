#pragma once
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An FTP server on 127.0.0.1 inside the test program that greets a client and answers
// every login with the same line, so that a connection can be refused in a chosen way.
// One client at a time.
class RefusingFtpServer {
public:
    explicit RefusingFtpServer(std::string loginAnswer);
    ~RefusingFtpServer();
    RefusingFtpServer(const RefusingFtpServer&) = delete;
    RefusingFtpServer& operator=(const RefusingFtpServer&) = delete;

    unsigned short Port() const { return port_; }
    // The command lines the clients sent, in order.
    std::vector<std::string> Commands() const;

private:
    void Serve();

    std::string loginAnswer_;
    uintptr_t listener_;
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::thread thread_;
};
