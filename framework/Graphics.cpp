#include "Graphics.h"

#include "Text.h"

COLORREF ColorToRGB(TColor color)
{
    if ((color & 0xFF000000) == 0xFF000000)
        return GetSysColor(int(color & 0xFF));
    return COLORREF(color & 0x00FFFFFF);
}

namespace {

bool SystemHighContrast()
{
    HIGHCONTRASTW mode{sizeof mode};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof mode, &mode, 0) && (mode.dwFlags & HCF_HIGHCONTRASTON);
}

bool& HighContrastState()
{
    static bool on = SystemHighContrast();
    return on;
}

} // namespace

bool HighContrastOn() { return HighContrastState(); }
void SetHighContrastOn(bool on) { HighContrastState() = on; }
void SystemSettingsChanged() { HighContrastState() = SystemHighContrast(); }

int FontHeightForPoints(int points) { return -MulDiv(points, 96, 72); }

void TFont::Set(std::string name, int height, TColor color, TFontStyles style, BYTE charset)
{
    Name = std::move(name);
    Height = height;
    Color = color;
    Style = style;
    Charset = charset;
    Changed();
}

void TFont::Assign(const TFont& other)
{
    if (&other == this)
        return;
    Name = other.Name;
    Height = other.Height;
    Color = other.Color;
    Style = other.Style;
    Charset = other.Charset;
    Changed();
}

void TFont::Changed()
{
    if (OnChange)
        OnChange();
}

void TFont::SetColor(TColor color)
{
    Color = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    Style = style;
    Changed();
}

HFONT TFont::Handle(int dpi) const
{
    if (made_.name != Name || made_.height != Height || made_.style != Style || made_.charset != Charset) {
        handles_.clear();
        made_ = {Name, Height, Style, Charset};
    }
    for (const auto& [madeDpi, handle] : handles_)
        if (madeDpi == dpi)
            return handle.Get();
    LOGFONTW log{};
    log.lfHeight = ScaleToDpi(Height, dpi);
    log.lfWeight = (Style & fsBold) ? FW_BOLD : FW_NORMAL;
    log.lfItalic = (Style & fsItalic) ? TRUE : FALSE;
    log.lfUnderline = (Style & fsUnderline) ? TRUE : FALSE;
    log.lfStrikeOut = (Style & fsStrikeOut) ? TRUE : FALSE;
    log.lfCharSet = Charset;
    log.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(log.lfFaceName, Widen(Name).c_str(), LF_FACESIZE);
    handles_.emplace_back(dpi, FontHandle(CreateFontIndirectW(&log)));
    return handles_.back().second.Get();
}

TCanvas::TCanvas(HDC dc, int dpi) : dc_(dc), dpi_(dpi), saved_(SaveDC(dc)) {}
TCanvas::~TCanvas() { RestoreDC(dc_, saved_); }

void TCanvas::FillRect(const RECT& rect, TColor color)
{
    BrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    ::FillRect(dc_, &rect, brush.Get());
}

void TCanvas::Rectangle(const RECT& rect, TColor brushColor, TBrushStyle brushStyle, TColor penColor)
{
    BrushHandle brush;
    if (brushStyle == TBrushStyle::bsSolid)
        brush.Reset(CreateSolidBrush(ColorToRGB(brushColor)));
    else if (brushStyle == TBrushStyle::bsBDiagonal)
        brush.Reset(CreateHatchBrush(HS_BDIAGONAL, ColorToRGB(brushColor)));
    // A one-pixel line of the design, inside the rectangle at any scale.
    PenHandle pen(CreatePen(PS_INSIDEFRAME, Scale(1), ColorToRGB(penColor)));
    HGDIOBJ oldBrush = SelectObject(dc_, brush ? brush.Get() : GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc_, pen.Get());
    SetBkMode(dc_, TRANSPARENT);
    ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc_, oldPen);
    SelectObject(dc_, oldBrush);
}

void TCanvas::DrawText(const std::string& text, RECT& rect, const TFont& font, UINT flags)
{
    HGDIOBJ old = SelectObject(dc_, font.Handle(dpi_));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ColorToRGB(font.Color));
    std::wstring wide = Widen(text);
    ::DrawTextW(dc_, wide.c_str(), int(wide.size()), &rect, flags);
    SelectObject(dc_, old);
}
