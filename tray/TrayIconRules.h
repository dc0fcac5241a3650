#pragma once
#include <string>
#include <string_view>

// Room for the tip in the shell's notify-icon record, the terminating zero included.
constexpr size_t TrayTipCapacity = 128;
// The longest hint the component keeps, in characters.
constexpr size_t TrayHintMaxChars = 255;

// The image index an assignment ends with: at or beyond the end it becomes the last image.
int ClampIconIndex(int value, int count);
// The index a cycling step moves to after index: the next one, or 0 after the last.
int NextCycleIndex(int index, int count);

// The hint as the component keeps it: at most 255 characters of the UTF-8 text.
std::string LimitHint(std::string_view hint);
// The tip the shell gets: at most 127 UTF-16 units of the hint, never half a surrogate
// pair; empty when the hint is not to be shown.
std::wstring TrayTipText(std::string_view hint, bool showHint);
