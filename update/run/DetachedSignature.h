#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Sha256.h"

// Authentication of a control file with the platform's cryptography: a detached ECDSA P-256
// signature over its SHA-256.

// A P-256 public key: X then Y, 32 bytes each, big-endian.
using PublicKeyBytes = std::array<unsigned char, 64>;

// The keys this build trusts (made from the PEM files the build was configured with).
const std::vector<PublicKeyBytes>& BuiltInUpdatePublicKeys();

// Whether the signature text (one line of Base64 for r and s) signs these exact bytes under
// the key; a malformed text, a wrong signature or a key the platform refuses all give false.
// Raises Exception when the platform offers no ECDSA P-256 or SHA-256.
bool VerifyControlFileSignature(std::string_view controlBytes, std::string_view signatureText,
                                const PublicKeyBytes& key);

// Whether one of the keys verifies the signature text over the exact bytes; a platform that
// cannot check vouches for nothing.
bool SignatureVerifies(std::string_view controlBytes, std::string_view signatureText,
                       const std::vector<PublicKeyBytes>& keys);
