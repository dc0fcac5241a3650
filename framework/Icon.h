#pragma once
#include <windows.h>

#include <functional>

#include "Win32Handle.h"

// The program's named icon resource at the given size; raises when it is missing.
IconHandle LoadResourceIcon(const wchar_t* name, int width, int height);

// An owned icon picture that tells its holder when it changes.
class TIcon {
public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const { return handle_.Get(); }
    bool Empty() const { return !handle_; }

    // Takes the handle over; an empty handle empties the picture.
    void SetHandle(IconHandle handle);
    // Copies the picture (a copy of its own, so the source may go away).
    void Assign(const TIcon& source);
    void Assign(HICON source);
    // The program's named icon resource at the given size.
    void LoadFromResource(const wchar_t* name, int size);

    std::function<void()> OnChange;

private:
    IconHandle handle_;
};
