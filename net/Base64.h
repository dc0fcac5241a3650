#pragma once
#include <optional>
#include <string>
#include <string_view>

// Base64 with the standard alphabet and "=" padding.
std::string Base64Encode(std::string_view bytes);

// Base64 broken into 64-character lines, each full line ended by a lone CR.
std::string Base64Lines(std::string_view bytes);

// The bytes of one unbroken Base64 text, padded to a multiple of four characters; nothing
// when any character is outside the alphabet, the padding is misplaced or the unused bits
// of the last group are not zero.
std::optional<std::string> Base64Decode(std::string_view text);
