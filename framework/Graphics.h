#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DpiScale.h"
#include "Win32Handle.h"

// 0x00BBGGRR, or 0xFF0000nn for system colour nn, resolved when drawn.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGray = 0x808080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWindowText = 0xFF000000 | COLOR_WINDOWTEXT;
constexpr TColor clBtnFace = 0xFF000000 | COLOR_BTNFACE;
constexpr TColor clBtnShadow = 0xFF000000 | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = 0xFF000000 | COLOR_BTNHIGHLIGHT;
constexpr TColor clWindow = 0xFF000000 | COLOR_WINDOW;
constexpr TColor clHotLight = 0xFF000000 | COLOR_HOTLIGHT;

// The system's high-contrast mode: windows then paint in the system's colours only. Read
// from the system at first use and again by SystemSettingsChanged; Wine cannot switch the
// mode, so its tests set it.
bool HighContrastOn();
void SetHighContrastOn(bool on);
// The system's settings or colours changed: reads the mode again.
void SystemSettingsChanged();

COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// Point size to the logical font height of the 96-dpi design (8 pt is -11).
int FontHeightForPoints(int points);

// A font description at the 96-dpi design size (Height); a GDI font is made for each DPI
// it is drawn at, when first drawn with and after every change. Set, Assign, SetColor and
// SetStyle tell OnChange; writing the fields directly does not.
class TFont {
public:
    std::string Name = "MS Sans Serif";
    int Height = -11;
    TColor Color = clWindowText;
    TFontStyles Style = 0;
    BYTE Charset = DEFAULT_CHARSET;

    void SetSize(int points) { Height = FontHeightForPoints(points); }
    // The whole description at once.
    void Set(std::string name, int height, TColor color, TFontStyles style = 0, BYTE charset = DEFAULT_CHARSET);
    void Assign(const TFont& other);
    void SetColor(TColor color);
    void SetStyle(TFontStyles style);
    // The font at that DPI: its height scaled from the design height.
    HFONT Handle(int dpi = kDesignDpi) const;

    std::function<void()> OnChange;

private:
    struct Made {
        std::string name;
        int height = 0;
        TFontStyles style = 0;
        BYTE charset = 0;
    };
    void Changed();
    mutable std::vector<std::pair<int, FontHandle>> handles_; // by DPI, all of the description made_
    mutable Made made_;
};

enum class TBrushStyle { bsSolid, bsClear, bsBDiagonal };

// Drawing on a device context the canvas does not own, for a control shown at a DPI (its
// text in fonts made for that DPI); selected objects are put back.
class TCanvas {
public:
    explicit TCanvas(HDC dc, int dpi = kDesignDpi);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    int Dpi() const { return dpi_; }
    // A length of the 96-dpi design at the canvas's DPI.
    int Scale(int designValue) const { return ScaleToDpi(designValue, dpi_); }

    void FillRect(const RECT& rect, TColor color);
    // Outline in pen colour, inside filled with the brush (a hatch draws on the background).
    void Rectangle(const RECT& rect, TColor brushColor, TBrushStyle brushStyle, TColor penColor);
    // DrawTextW with the font's colour on a transparent background; flags are DT_*.
    void DrawText(const std::string& text, RECT& rect, const TFont& font, UINT flags);

private:
    HDC dc_;
    int dpi_;
    int saved_;
};
