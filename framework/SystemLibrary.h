#pragma once
#include <windows.h>

#include "Win32Handle.h"

// A library from the system folder only: never one planted beside the program or in the
// current folder. Empty when the system has none of that name.
inline ModuleHandle LoadSystemLibrary(const wchar_t* name)
{
    return ModuleHandle(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// A function of a loaded library, typed as its declaration; null when it is missing.
template <typename Function>
Function* LibraryFunction(const ModuleHandle& library, const char* name)
{
    return reinterpret_cast<Function*>(GetProcAddress(library.Get(), name));
}
