#pragma once
#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

#include "InternetHandle.h"

// WinInet's sessions and FTP logins, and the system's dial-up connection.

// A session under the agent's name, through the proxy when one is named, else by the
// system's settings; every request made through it has the step time-outs. None when
// WinInet cannot open one.
InternetHandle OpenSession(const std::string& agent, const std::string& proxy, unsigned stepTimeoutMs);

struct FtpLogin {
    std::string host;
    unsigned short port = 21;
    // Anonymous unless both are given.
    std::string user;
    std::string password;
    bool passive = false;
};

// A connection to the FTP server, or none.
InternetHandle ConnectFtpServer(HINTERNET session, const FtpLogin& login);

// Makes the folder the connection's current one; a file fetched by its name is looked for
// there.
void EnterFtpFolder(HINTERNET connection, const std::string& folder);

// WinInet's last failure on this thread: its code and text, the server's own answer for an
// extended error. Nothing when there is none, or an extended error without an answer.
struct InternetFailure {
    DWORD code = 0;
    std::string text;
};
std::optional<InternetFailure> LastInternetFailure();

// The system's connection state and dial-up, looked up in wininet.dll at each call: a
// library or function that cannot be found counts as success.
bool InternetConnected();
bool DialInternet(DWORD flags);
bool HangUpInternet();
