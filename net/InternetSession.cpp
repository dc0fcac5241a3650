#include "InternetSession.h"

#include <algorithm>

#include "SystemLibrary.h"
#include "Text.h"
#include "Win32Handle.h"

namespace {

constexpr DWORD kResponseChars = 1025;

// Looks the function up in wininet.dll, calls it and releases the library again.
template <typename Function, typename... Args>
bool CallWinInet(const char* name, Args... args)
{
    const ModuleHandle library = LoadSystemLibrary(L"wininet.dll");
    if (!library)
        return true;
    Function* function = LibraryFunction<Function>(library, name);
    return !function || function(args...);
}

} // namespace

InternetHandle OpenSession(const std::string& agent, const std::string& proxy, unsigned stepTimeoutMs)
{
    const std::wstring name = Widen(agent);
    InternetHandle session(
        proxy.empty() ? InternetOpenW(name.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
                      : InternetOpenW(name.c_str(), INTERNET_OPEN_TYPE_PROXY, Widen(proxy).c_str(), nullptr, 0));
    if (session)
        SetInternetTimeouts(session.Get(), stepTimeoutMs);
    return session;
}

InternetHandle ConnectFtpServer(HINTERNET session, const FtpLogin& login)
{
    const bool credentials = !login.user.empty() && !login.password.empty();
    const std::wstring user = Widen(login.user), password = Widen(login.password);
    return InternetHandle(InternetConnectW(session, Widen(login.host).c_str(), INTERNET_PORT(login.port),
                                           credentials ? user.c_str() : nullptr,
                                           credentials ? password.c_str() : nullptr, INTERNET_SERVICE_FTP,
                                           login.passive ? INTERNET_FLAG_PASSIVE : 0, 0));
}

void EnterFtpFolder(HINTERNET connection, const std::string& folder)
{
    FtpSetCurrentDirectoryW(connection, Widen(folder).c_str());
}

std::optional<InternetFailure> LastInternetFailure()
{
    DWORD code = GetLastError();
    if (code == 0)
        return std::nullopt;
    std::string text = ModuleErrorMessage(code, L"wininet.dll");
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        // Read into a buffer of a size first: Wine answers a question for the size alone
        // with 0, and the server's answer would be lost.
        std::wstring response(kResponseChars, L'\0');
        DWORD length = kResponseChars;
        bool read = InternetGetLastResponseInfoW(&code, response.data(), &length);
        if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            response.assign(length + 1, L'\0');
            read = InternetGetLastResponseInfoW(&code, response.data(), &length);
        }
        // Wine counts the closing zero in.
        const std::wstring_view answer(response.data(), read ? std::min<size_t>(length, response.size()) : 0);
        text = Narrow(answer.substr(0, answer.find(L'\0')));
        if (text.empty())
            return std::nullopt;
    }
    return InternetFailure{code, text};
}

bool InternetConnected()
{
    DWORD flags = 0;
    return CallWinInet<decltype(InternetGetConnectedState)>("InternetGetConnectedState", &flags, DWORD(0));
}

bool DialInternet(DWORD flags)
{
    return CallWinInet<decltype(InternetAutodial)>("InternetAutodial", flags, HWND(nullptr));
}

bool HangUpInternet() { return CallWinInet<decltype(InternetAutodialHangup)>("InternetAutodialHangup", DWORD(0)); }
