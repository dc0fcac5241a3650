#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The texts that carry an update's authentication: the detached signature file and the
// sha256= value of a file entry.

// An ECDSA P-256 signature: r then s, 32 bytes each, big-endian.
using SignatureBytes = std::array<unsigned char, 64>;

// One line of Base64 for exactly 64 bytes; blanks and line ends around it are allowed,
// anything else gives nothing.
std::optional<SignatureBytes> ParseSignatureText(std::string_view text);

// 64 hexadecimal digits in either case, as lower-case; nothing for anything else.
std::optional<std::string> ParseSha256Value(std::string_view value);
