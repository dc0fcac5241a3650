#pragma once
#include <string>
#include <string_view>

// Percent-encoded UTF-8 text (as a web page or a form encoder writes it) to UTF-16.
// Never fails: what cannot be decoded is kept visible instead of dropped:
// - "%" not followed by two hex digits stays as written;
// - "%00" stays as written, since a zero unit would end the text for its readers;
// - "+" is a blank, as form encoders write blanks (a real plus arrives as "%2B");
// - bytes that are not valid UTF-8 become U+FFFD, one per maximal ill-formed subpart.
std::u16string DecodeUrlUtf8(std::string_view encoded);
