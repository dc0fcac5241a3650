#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "CngHandles.h"

// Authentication of updates with the platform's cryptography: a detached ECDSA P-256
// signature over SHA-256 of the control file, and a SHA-256 digest per downloaded file.

// A P-256 public key: X then Y, 32 bytes each, big-endian.
using PublicKeyBytes = std::array<unsigned char, 64>;
using Sha256Digest = std::array<unsigned char, 32>;

// The keys this build trusts (made from the PEM files the build was configured with).
const std::vector<PublicKeyBytes>& BuiltInUpdatePublicKeys();

// SHA-256 of bytes fed in pieces, e.g. a transfer as its blocks arrive.
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

// Whether the signature text (one line of Base64 for r and s) signs these exact bytes under
// the key; a malformed text, a wrong signature or a key the platform refuses all give false.
// Raises Exception when the platform offers no ECDSA P-256 or SHA-256.
bool VerifyControlFileSignature(std::string_view controlBytes, std::string_view signatureText,
                                const PublicKeyBytes& key);
