#pragma once
#include <windows.h>

#include "Handle.h"

// The kernel and GDI handle kinds the program owns.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type None() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using PenHandle = UniqueHandle<GdiObjectTraits<HPEN>>;

struct IconHandleTraits {
    using Type = HICON;
    static Type None() { return nullptr; }
    static void Close(Type h) { DestroyIcon(h); }
};
using IconHandle = UniqueHandle<IconHandleTraits>;

struct WindowHandleTraits {
    using Type = HWND;
    static Type None() { return nullptr; }
    static void Close(Type h) { DestroyWindow(h); }
};
using WindowHandle = UniqueHandle<WindowHandleTraits>;

struct MenuHandleTraits {
    using Type = HMENU;
    static Type None() { return nullptr; }
    static void Close(Type h) { DestroyMenu(h); }
};
using MenuHandle = UniqueHandle<MenuHandleTraits>;

struct ModuleHandleTraits {
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
using ModuleHandle = UniqueHandle<ModuleHandleTraits>;

struct MemoryDcTraits {
    using Type = HDC;
    static Type None() { return nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// A device context of the whole screen, from GetDC(nullptr).
struct ScreenDcTraits {
    using Type = HDC;
    static Type None() { return nullptr; }
    static void Close(Type h) { ReleaseDC(nullptr, h); }
};
using ScreenDc = UniqueHandle<ScreenDcTraits>;
