#include "TrayIconRules.h"

#include "Text.h"

int ClampIconIndex(int value, int count) { return value >= count ? count - 1 : value; }

int NextCycleIndex(int index, int count) { return index < count - 1 ? index + 1 : 0; }

namespace {
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
} // namespace

std::string LimitHint(std::string_view hint)
{
    size_t pos = 0;
    for (size_t chars = 0; pos < hint.size() && chars < TrayHintMaxChars; ++chars) {
        ++pos;
        while (pos < hint.size() && IsContinuationByte(hint[pos]))
            ++pos;
    }
    return std::string(hint.substr(0, pos));
}

std::wstring TrayTipText(std::string_view hint, bool showHint)
{
    if (!showHint)
        return {};
    std::wstring tip = Widen(hint);
    if (tip.size() >= TrayTipCapacity) {
        tip.resize(TrayTipCapacity - 1);
        if (IsHighSurrogate(tip.back()))
            tip.pop_back();
    }
    return tip;
}
