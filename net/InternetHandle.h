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
