#include "SampleNewsLog.h"

#include <windows.h>

#include <cctype>
#include <cstdio>

#include "Application.h"
#include "Forms.h"
#include "RichEdit.h"
#include "Text.h"

// Item i's title, unique for the sizes measured here: quarter hours over the days.
std::string Title(int i)
{
    const int slot = i % 96;
    const int day = i / 96;
    return std::to_string(1 + day % 28) + "." + std::to_string(1 + day / 28 % 12) + "." +
           std::to_string(2026 + day / (28 * 12)) + " " + std::to_string(slot / 4) + ":" +
           (slot % 4 ? std::to_string(slot % 4 * 15) : "00");
}

// A Czech news sentence of 80 to 150 characters, different for each item.
std::string Text(int i)
{
    static const char* const words[] = {
        "Žluťoučký", "kůň",      "úpěl",     "ďábelské", "ódy",     "dnes",       "večer",    "ve",
        "studiu",    "přivítáme", "hosty",    "z",        "Českého", "rozhlasu",   "pořad",    "soutěž",
        "divákům",   "přinese",  "nové",     "písničky", "počasí",  "zítra",      "bouřky",   "přeháňky",
        "koncert",   "v",        "Brně",     "Ostravě",  "Plzni",   "reportáž",   "o",        "řece",
        "Vltavě",    "šťastný",  "výherce",  "získal",   "vstupenky", "na",       "festival", "tři",
    };
    unsigned seed = 2654435761u * unsigned(i + 1);
    const size_t length = 80 + size_t(i) * 37 % 71;
    std::string text;
    while (text.size() < length) {
        seed = seed * 1103515245 + 12345;
        if (!text.empty())
            text += ' ';
        text += words[(seed >> 16) % std::size(words)];
    }
    text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

// The text as the show's page writes it: percent-encoded UTF-8.
std::string Encoded(const std::string& text)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '.')
            encoded += char(c);
        else
            encoded += {'%', hex[c >> 4], hex[c & 15]};
    }
    return encoded;
}

namespace {

// A line as the box's writer puts it: ASCII as it is, the rest in the font's code page
// (central European).
std::string RtfLine(const std::string& line)
{
    std::string rtf;
    for (wchar_t c : Widen(line)) {
        if (c == L'{' || c == L'}' || c == L'\\') {
            rtf += {'\\', char(c)};
        } else if (c < 128) {
            rtf += char(c);
        } else {
            char byte = 0;
            WideCharToMultiByte(1250, 0, &c, 1, &byte, 1, nullptr, nullptr);
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\'%02x", unsigned(static_cast<unsigned char>(byte)));
            rtf += escape;
        }
    }
    return rtf + "\\par\r\n";
}

// The items' lines of a log, each as the writer puts it.
std::string ItemLines(int items, std::string (*line)(const std::string&))
{
    std::string lines;
    for (int i = 0; i < items; ++i)
        lines += line(Title(i)) + line(Text(i)) + line("");
    return lines;
}

std::string TextLine(const std::string& line) { return line + "\r\n"; }

} // namespace

// news.rtf as the box writes it for a log of the given items. The box writes the head of
// a one-item log; the items' lines are then written the same way directly, since a box
// takes about as long to be filled with 100,000 items as to load them.
std::string SampleNewsRtf(int items)
{
    // A box with the main window's log font.
    TForm form(Application);
    auto* box = new TRichEdit(&form);
    box->Color = clBlack;
    box->Font.Set("Tahoma", FontHeightForPoints(8), clWhite, fsBold, EASTEUROPE_CHARSET);
    box->SetParent(&form);
    box->AppendText(Title(0) + "\r" + Text(0) + "\r\r");
    const std::string sample = box->SaveToRtf();
    std::string rtf = sample.substr(0, sample.find(Title(0))) + ItemLines(items, RtfLine);
    rtf += RtfLine("") + "}";
    rtf += '\0';
    return rtf;
}

std::string OtherWriterNewsRtf(int items)
{
    return "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
           "{\\colortbl ;\\red255\\green255\\blue255;}\r\n\\viewkind4\\uc1\\pard\\cf1\\b\\f0\\fs16 " +
           ItemLines(items, RtfLine) + RtfLine("") + "}";
}

std::string PlainTextNewsLog(int items) { return ItemLines(items, TextLine); }
