#pragma once
#include <windows.h>

#include <string>

#include "Win32Handle.h"

// An owned picture (a 24-bit DIB section once made or loaded); empty when it has none.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    bool Empty() const { return !handle_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HBITMAP Handle() const { return handle_.Get(); }

    // A new white picture of that size; a zero size leaves the bitmap empty.
    void SetSize(int width, int height);
    void Clear();
    // Copies the other's picture and transparency (nothing when given itself).
    void Assign(const TBitmap& other);
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);

    // Drawn without the colour of its bottom-left pixel.
    bool Transparent = false;

    void Draw(HDC dc, int x, int y) const;
    void StretchDraw(HDC dc, const RECT& rect) const;

private:
    void Adopt(HBITMAP bitmap);
    void Blit(HDC dc, int x, int y, int width, int height) const;

    BitmapHandle handle_;
    int width_ = 0;
    int height_ = 0;
};

// Drawing on a bitmap: it stays selected into a memory DC while this lives.
class TBitmapCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : TBitmapCanvas(bitmap.Handle()) {}
    explicit TBitmapCanvas(HBITMAP bitmap);
    ~TBitmapCanvas();
    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

    HDC Handle() const { return dc_.Get(); }

private:
    MemoryDc dc_;
    HGDIOBJ old_;
};
