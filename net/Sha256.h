#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "CngHandles.h"

using Sha256Digest = std::array<unsigned char, 32>;

// SHA-256 with the platform's cryptography, of bytes fed in pieces (a transfer as its blocks
// arrive).
class Sha256 {
public:
    // Raises Exception when the platform offers no SHA-256.
    Sha256();

    void Update(std::string_view bytes);
    // The digest of everything fed so far; the object takes no more bytes afterwards.
    Sha256Digest Digest();
    // The same as 64 lower-case hexadecimal digits.
    std::string HexDigest();

private:
    CngAlgorithm algorithm_;
    std::vector<unsigned char> state_;
    CngHash hash_;
};

Sha256Digest Sha256Of(std::string_view bytes);
