#include "Icon.h"

#include "Exception.h"
#include "Text.h"

IconHandle LoadResourceIcon(const wchar_t* name, int width, int height)
{
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, width, height, 0));
    if (!icon)
        throw Exception("Ikona " + Narrow(name) + " chybí: " + SystemErrorMessage(GetLastError()));
    return IconHandle(icon);
}

void TIcon::SetHandle(IconHandle handle)
{
    handle_ = std::move(handle);
    if (OnChange)
        OnChange();
}

void TIcon::Assign(const TIcon& source) { Assign(source.Handle()); }

void TIcon::Assign(HICON source) { SetHandle(IconHandle(source ? CopyIcon(source) : nullptr)); }

void TIcon::LoadFromResource(const wchar_t* name, int size)
{
    SetHandle(LoadResourceIcon(name, size, size));
}
