#pragma once
#include <windows.h>

#include <string>

// Reads the error box once it is up, then presses its OK button.
struct ErrorBoxReader {
    static inline std::wstring title;
    static inline std::wstring text;
    static inline bool okButton = false;
    static inline bool otherButtons = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (!box || !IsWindowVisible(box))
            return;
        KillTimer(nullptr, timer);
        wchar_t buffer[256] = {};
        GetWindowTextW(box, buffer, 256);
        title = buffer;
        GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        text = buffer;
        okButton = GetDlgItem(box, IDOK) != nullptr;
        otherButtons = GetDlgItem(box, IDCANCEL) || GetDlgItem(box, IDYES) || GetDlgItem(box, IDNO);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
};
