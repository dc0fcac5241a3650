#include "Bitmap.h"

#include "Exception.h"
#include "Text.h"

namespace {

HBITMAP CreatePicture(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        throw Exception("Nelze vytvořit obrázek: " + SystemErrorMessage(GetLastError()));
    return bitmap;
}

} // namespace

void TBitmap::Adopt(HBITMAP bitmap)
{
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    handle_.Reset(bitmap);
    width_ = info.bmWidth;
    height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
}

void TBitmap::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        Clear();
        return;
    }
    Adopt(CreatePicture(width, height));
    TBitmapCanvas dc(handle_.Get());
    RECT all{0, 0, width, height};
    FillRect(dc.Handle(), &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
}

void TBitmap::Clear()
{
    handle_.Reset();
    width_ = 0;
    height_ = 0;
}

void TBitmap::Assign(const TBitmap& other)
{
    if (&other == this)
        return;
    Transparent = other.Transparent;
    if (other.Empty()) {
        Clear();
        return;
    }
    BitmapHandle copy(CreatePicture(other.width_, other.height_));
    {
        TBitmapCanvas from(other.handle_.Get());
        TBitmapCanvas to(copy.Get());
        BitBlt(to.Handle(), 0, 0, other.width_, other.height_, from.Handle(), 0, 0, SRCCOPY);
    }
    Adopt(copy.Release());
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    auto bitmap = HBITMAP(LoadImageW(instance, Widen(name).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        throw Exception("Obrázek " + name + " nelze načíst: " + SystemErrorMessage(GetLastError()));
    Adopt(bitmap);
}

void TBitmap::Blit(HDC dc, int x, int y, int width, int height) const
{
    if (Empty())
        return;
    TBitmapCanvas source(handle_.Get());
    if (Transparent) {
        const COLORREF transparent = GetPixel(source.Handle(), 0, height_ - 1);
        GdiTransparentBlt(dc, x, y, width, height, source.Handle(), 0, 0, width_, height_, transparent);
        return;
    }
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, width, height, source.Handle(), 0, 0, width_, height_, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void TBitmap::Draw(HDC dc, int x, int y) const { Blit(dc, x, y, width_, height_); }

void TBitmap::StretchDraw(HDC dc, const RECT& rect) const
{
    Blit(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

TBitmapCanvas::TBitmapCanvas(HBITMAP bitmap)
    : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_.Get(), bitmap))
{
}

TBitmapCanvas::~TBitmapCanvas() { SelectObject(dc_.Get(), old_); }
