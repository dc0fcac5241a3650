#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Texts that an update shows to the user (the control file's message, question and dialog
// captions, the what's-new and agreement files) come from the network: they are cut to a
// sane size, decoded and cleaned before any window sees them.

inline constexpr size_t kShownTextLimit = 64 * 1024;

enum class TextCoding { Utf8, Cp1250 };

// UTF-8 when the text starts with the UTF-8 byte-order mark, or when it is valid UTF-8 and
// holds at least one multi-byte sequence; otherwise the Central European Windows code page
// 1250. Plain ASCII reads alike in both.
TextCoding DetectTextCoding(std::string_view bytes);

// Each two-character sequence backslash, letter n becomes a carriage return.
std::string ExpandLineBreakEscapes(std::string_view text);

// The text as UTF-8, ready to show: at most the first kShownTextLimit bytes (never half a
// UTF-8 sequence), decoded by DetectTextCoding, every line break (CR, LF or CR LF) written as
// CR LF, and every other control character except the tab removed.
std::string ShownText(std::string_view bytes);
