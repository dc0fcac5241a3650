#pragma once
#include <array>
#include <string>
#include <string_view>

#include "DetachedSignature.h"

// The build's throw-away signing key: X, Y and d of P-256, 32 bytes each (generated source).
extern const std::array<unsigned char, 96> kTestSigningKey;

// A P-256 key pair the tests sign with, through the platform's cryptography.
class TestSigner {
public:
    // The build's throw-away pair, whose public half a build without a configured key trusts.
    static TestSigner BuildPair();
    // A fresh pair no build trusts.
    static TestSigner Generated();

    // The detached signature file's text for these bytes: one line of Base64 of r and s.
    std::string Sign(std::string_view bytes) const;
    PublicKeyBytes PublicKey() const;

private:
    explicit TestSigner(CngAlgorithm algorithm, CngKey key);

    CngAlgorithm algorithm_;
    CngKey key_;
};

// Signs with the build's throw-away pair.
std::string SignControlFile(std::string_view bytes);

// Lower-case hex SHA-256 of the bytes, as a control file's sha256= names it.
std::string Sha256Hex(std::string_view bytes);
