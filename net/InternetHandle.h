#pragma once
#include <windows.h>
#include <wininet.h>

#include "Handle.h"

// Root, connection and request handles of WinInet.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type None() { return nullptr; }
    static void Close(Type h) { InternetCloseHandle(h); }
};
using InternetHandle = UniqueHandle<InternetHandleTraits>;

// Connect, send and receive time-outs for every request made through the handle.
inline void SetInternetTimeouts(HINTERNET handle, DWORD milliseconds)
{
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// The receive time-outs alone, for the reads still to come.
inline void SetReceiveTimeout(HINTERNET handle, DWORD milliseconds)
{
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// A numeric reply header (status code, content length); 0 when absent.
inline DWORD QueryNumber(HINTERNET request, DWORD info)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return 0;
    return value;
}
