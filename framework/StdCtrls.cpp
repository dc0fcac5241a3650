#include "StdCtrls.h"

#include "Win32Handle.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
    Font.OnChange = [this] { FontChanged(); };
}

void TLabel::Loaded()
{
    if (AutoSize)
        AdjustSize();
}

void TLabel::FontChanged()
{
    if (AutoSize)
        AdjustSize();
    Invalidate();
}

void TLabel::SetCaption(const std::string& caption)
{
    TGraphicControl::SetCaption(caption);
    if (AutoSize)
        AdjustSize();
}

UINT TLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    flags |= WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (!ShowAccelChar)
        flags |= DT_NOPREFIX;
    if (Alignment == TAlignment::taCenter)
        flags |= DT_CENTER;
    else if (Alignment == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    return flags;
}

namespace {

// Text is measured on one memory DC kept for the program's life: it measures as the screen
// does, and asking for the screen's DC costs a round trip to the display for every label.
HDC MeasuringDc()
{
    static const MemoryDc dc(CreateCompatibleDC(nullptr));
    return dc.Get();
}

} // namespace

void TLabel::AdjustSize()
{
    RECT box{0, 0, WordWrap ? Width() : 0, 0};
    TCanvas(MeasuringDc(), Dpi()).DrawText(caption_.empty() ? " " : caption_, box, Font, TextFlags() | DT_CALCRECT);
    const int width = WordWrap ? Width() : box.right;
    const int left = Alignment == TAlignment::taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, box.bottom);
}

// Measured again in the font made for the DPI.
void TLabel::ChangeScale(int dpi)
{
    TGraphicControl::ChangeScale(dpi);
    if (AutoSize)
        AdjustSize();
}

void TLabel::Paint(TCanvas& canvas)
{
    if (!Transparent)
        canvas.FillRect(RECT{0, 0, Width(), Height()}, Color);
    PaintCaption(canvas, Font);
}

void TLabel::PaintPlain(TCanvas& canvas)
{
    TFont font;
    font.Assign(Font);
    font.Color = PlainTextColor();
    PaintCaption(canvas, font);
}

void TLabel::PaintCaption(TCanvas& canvas, const TFont& font)
{
    RECT box{0, 0, Width(), Height()};
    if (Layout != TTextLayout::tlTop) {
        RECT measured = box;
        canvas.DrawText(caption_, measured, font, TextFlags() | DT_CALCRECT);
        int free = Height() - (measured.bottom - measured.top);
        box.top += Layout == TTextLayout::tlCenter ? free / 2 : free;
    }
    canvas.DrawText(caption_, box, font, TextFlags());
}

void TShape::Paint(TCanvas& canvas)
{
    RECT box{0, 0, Width(), Height()};
    canvas.Rectangle(box, BrushColor, BrushStyle, PenColor);
}

void TCheckBox::CreateParams(CreateParamsData& params)
{
    TWinControl::CreateParams(params);
    params.ClassName = L"BUTTON";
    params.Style |= BS_AUTOCHECKBOX | WS_TABSTOP;
}

void TCheckBox::HandleCreated() { SendMessageW(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

bool TCheckBox::Checked() const
{
    if (HWND window = ExistingHandle())
        return SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool checked)
{
    checked_ = checked;
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
