#include "RichEdit.h"

#include <richedit.h>

#include "Dpi.h"
#include "Exception.h"
#include "SystemLibrary.h"
#include "Text.h"

namespace {

struct StreamSource {
    const std::string* bytes;
    size_t position;
};

DWORD CALLBACK ReadSource(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    size_t count = std::min(size_t(size), source->bytes->size() - source->position);
    std::copy_n(source->bytes->data() + source->position, count, buffer);
    source->position += count;
    *done = LONG(count);
    return 0;
}

DWORD CALLBACK WriteTarget(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buffer), size_t(size));
    *done = size;
    return 0;
}

std::string StreamOutRtf(HWND box)
{
    std::string rtf;
    EDITSTREAM stream{DWORD_PTR(&rtf), 0, &WriteTarget};
    SendMessageW(box, EM_STREAMOUT, SF_RTF, LPARAM(&stream));
    if (stream.dwError != 0)
        throw Exception("Záznam zpráv nelze uložit");
    return rtf;
}

void StreamIn(HWND box, const std::string& bytes, WPARAM format)
{
    StreamSource source{&bytes, 0};
    EDITSTREAM stream{DWORD_PTR(&source), 0, &ReadSource};
    SendMessageW(box, EM_STREAMIN, format, LPARAM(&stream));
    if (stream.dwError != 0)
        throw Exception("Soubor nelze přečíst");
}

constexpr WPARAM kPastTheEnd = 0x7FFFFFFF;

HMODULE RichEditLibrary()
{
    static const ModuleHandle library = LoadSystemLibrary(L"Msftedit.dll");
    return library.Get();
}

} // namespace

TRichEdit::TRichEdit(TComponent* owner) : TWinControl(owner) { TabStop = true; }

void TRichEdit::CreateParams(CreateParamsData& params)
{
    RichEditLibrary();
    TWinControl::CreateParams(params);
    params.ClassName = MSFTEDIT_CLASS;
    params.Style |= ES_MULTILINE | ES_NOHIDESEL | WS_TABSTOP;
    if (ReadOnly)
        params.Style |= ES_READONLY;
    if (VerticalScrollBar)
        params.Style |= WS_VSCROLL | ES_AUTOVSCROLL;
    if (Border)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TRichEdit::HandleCreated()
{
    SendMessageW(Handle(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // Nothing of a read-only box's text is for the user to undo: keep no copies of it.
    if (ReadOnly)
        SendMessageW(Handle(), EM_SETUNDOLIMIT, 0, 0);
    ApplyFont();
    ApplyZoom();
}

void TRichEdit::ChangeScale(int dpi)
{
    TWinControl::ChangeScale(dpi);
    if (HandleAllocated())
        ApplyZoom();
}

void TRichEdit::ApplyZoom()
{
    const int system = SystemDpi();
    SendMessageW(Handle(), EM_SETZOOM, dpi_ == system ? 0 : WPARAM(dpi_), dpi_ == system ? 0 : LPARAM(system));
}

// The box's characters keep the design's sizes, zoomed to the DPI: a font made for the DPI, as the
// framework gives every control, would reach the text and so the rich text the box writes.
LRESULT TRichEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFONT)
        return 0;
    return TWinControl::WndProc(message, wParam, lParam);
}

// Settings change often and for many reasons; the whole text is formatted again only when
// the contrast mode did change, as that can take long in a long log.
void TRichEdit::SystemColoursChanged()
{
    if (HighContrastOn() != plainApplied_)
        ApplyFont();
}

void TRichEdit::ApplyFont()
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_CHARSET;
    lstrcpynW(format.szFaceName, Widen(Font.Name).c_str(), LF_FACESIZE);
    // The design's size, whatever the screen: news.rtf keeps the same sizes everywhere.
    format.yHeight = MulDiv(-Font.Height, 72 * 20, kDesignDpi); // twips
    format.crTextColor = ColorToRGB(Font.Color);
    // High contrast: the box takes the system's window colours, which it follows by itself.
    const bool plain = HighContrastOn();
    plainApplied_ = plain;
    SendMessageW(Handle(), EM_SETBKGNDCOLOR, plain, LPARAM(ColorToRGB(Color)));
    if (plain)
        format.dwEffects |= CFE_AUTOCOLOR;
    format.bCharSet = Font.Charset;
    if (Font.Style & fsBold)
        format.dwEffects |= CFE_BOLD;
    if (Font.Style & fsItalic)
        format.dwEffects |= CFE_ITALIC;
    if (Font.Style & fsUnderline)
        format.dwEffects |= CFE_UNDERLINE;
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, LPARAM(&format));
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, LPARAM(&format));
}

void TRichEdit::SetTextColour(bool system, int from)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.crTextColor = ColorToRGB(Font.Color);
    format.dwEffects = system ? CFE_AUTOCOLOR : 0;
    if (from < 0) {
        SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, LPARAM(&format));
        SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, LPARAM(&format));
        return;
    }
    SendMessageW(Handle(), EM_SETSEL, WPARAM(from), -1);
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
    SendMessageW(Handle(), EM_SETSEL, kPastTheEnd, kPastTheEnd);
}

int TRichEdit::LineCount() { return int(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0)); }

std::string TRichEdit::Line(int index)
{
    LRESULT start = SendMessageW(Handle(), EM_LINEINDEX, WPARAM(index), 0);
    if (start < 0)
        throw Exception("Řádek " + std::to_string(index) + " neexistuje");
    LRESULT length = SendMessageW(Handle(), EM_LINELENGTH, WPARAM(start), 0);
    std::wstring text(size_t(length) + 1, L'\0');
    *reinterpret_cast<WORD*>(text.data()) = WORD(std::min<LRESULT>(length + 1, 0xFFFF));
    LRESULT copied = SendMessageW(Handle(), EM_GETLINE, WPARAM(index), LPARAM(text.data()));
    text.resize(size_t(copied));
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
    return Narrow(text);
}

std::string TRichEdit::Text()
{
    GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT length = SendMessageW(Handle(), EM_GETTEXTLENGTHEX, WPARAM(&request), 0);
    std::wstring text(size_t(length) + 1, L'\0');
    GETTEXTEX get{DWORD(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT copied = SendMessageW(Handle(), EM_GETTEXTEX, WPARAM(&get), LPARAM(text.data()));
    text.resize(size_t(copied));
    return Narrow(text);
}

void TRichEdit::AppendText(const std::string& text)
{
    // A position past the end puts the caret at the end without counting the text up to it.
    SendMessageW(Handle(), EM_SETSEL, kPastTheEnd, kPastTheEnd);
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, LPARAM(Widen(text).c_str()));
}

std::string TRichEdit::RtfOfAppendedText(const std::string& text)
{
    SendMessageW(Handle(), EM_SETSEL, kPastTheEnd, kPastTheEnd);
    CHARFORMAT2W characters{};
    characters.cbSize = sizeof(characters);
    SendMessageW(Handle(), EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&characters));
    PARAFORMAT2 paragraphs{};
    paragraphs.cbSize = sizeof(paragraphs);
    SendMessageW(Handle(), EM_GETPARAFORMAT, 0, LPARAM(&paragraphs));
    // Shown in the system's colour in high contrast, written in the box's own.
    if (plainApplied_) {
        characters.dwMask |= CFM_COLOR;
        characters.dwEffects &= ~DWORD(CFE_AUTOCOLOR);
        characters.crTextColor = ColorToRGB(Font.Color);
    }

    WindowHandle scratch(CreateWindowExW(0, MSFTEDIT_CLASS, L"", ES_MULTILINE, 0, 0, 0, 0, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
    if (!scratch)
        throw Exception("Záznam zpráv nelze uložit");
    SendMessageW(scratch.Get(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // No wrapping: in a box of no width every word would be laid out on a line of its own.
    SendMessageW(scratch.Get(), EM_SETTARGETDEVICE, 0, 1);
    SendMessageW(scratch.Get(), EM_SETCHARFORMAT, SCF_ALL, LPARAM(&characters));
    SendMessageW(scratch.Get(), EM_SETPARAFORMAT, 0, LPARAM(&paragraphs));
    SendMessageW(scratch.Get(), EM_REPLACESEL, FALSE, LPARAM(Widen(text).c_str()));
    return StreamOutRtf(scratch.Get());
}

void TRichEdit::AppendRtf(const std::string& rtf)
{
    SendMessageW(Handle(), EM_SETSEL, kPastTheEnd, kPastTheEnd);
    const int end = SelStart();
    StreamIn(Handle(), rtf, SF_RTF | SFF_SELECTION);
    // The text brings its own colours: high contrast shows the system's.
    if (plainApplied_)
        SetTextColour(true, end);
}

void TRichEdit::RemoveStart(int characters)
{
    SendMessageW(Handle(), EM_SETSEL, 0, LPARAM(characters));
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, LPARAM(L""));
}

void TRichEdit::ShowEnd()
{
    SendMessageW(Handle(), EM_SETSEL, kPastTheEnd, kPastTheEnd);
    SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

void TRichEdit::Clear()
{
    // A box whose window is not made yet holds nothing.
    if (HandleAllocated())
        SetWindowTextW(Handle(), L"");
}

void TRichEdit::SetSelStart(int position) { SendMessageW(Handle(), EM_SETSEL, WPARAM(position), LPARAM(position)); }

int TRichEdit::SelStart()
{
    DWORD start = 0;
    SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), 0);
    return int(start);
}

void TRichEdit::LoadFromBytes(const std::string& bytes)
{
    const bool isRtf = bytes.rfind("{\\rtf", 0) == 0;
    std::string converted;
    if (!isRtf) {
        std::wstring text = IsValidUtf8(bytes) ? Widen(bytes) : AnsiToWide(bytes);
        converted.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    StreamIn(Handle(), isRtf ? bytes : converted, isRtf ? SF_RTF : (SF_TEXT | SF_UNICODE));
    if (plainApplied_)
        SetTextColour(true);
}

std::string TRichEdit::SaveToRtf()
{
    if (!plainApplied_)
        return StreamOutRtf(Handle());
    SetTextColour(false);
    std::string rtf;
    try {
        rtf = StreamOutRtf(Handle());
    } catch (const std::exception&) {
        SetTextColour(true);
        throw;
    }
    SetTextColour(true);
    return rtf;
}
