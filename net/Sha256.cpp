#include "Sha256.h"

#include <cstdio>

#include "Exception.h"

namespace {

void CheckCng(NTSTATUS status, const char* what)
{
    if (!BCRYPT_SUCCESS(status))
        throw Exception(std::string("CNG: ") + what);
}

} // namespace

CngAlgorithm OpenCngAlgorithm(const wchar_t* algorithm)
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    CheckCng(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0), "algorithm not available");
    return CngAlgorithm(handle);
}

Sha256::Sha256() : algorithm_(OpenCngAlgorithm(BCRYPT_SHA256_ALGORITHM))
{
    ULONG length = 0;
    ULONG written = 0;
    CheckCng(BCryptGetProperty(algorithm_.Get(), BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&length),
                               sizeof length, &written, 0),
             "hash object length");
    state_.resize(length);
    BCRYPT_HASH_HANDLE hash = nullptr;
    CheckCng(BCryptCreateHash(algorithm_.Get(), &hash, state_.data(), length, nullptr, 0, 0), "hash");
    hash_.Reset(hash);
}

void Sha256::Update(std::string_view bytes)
{
    // The platform takes a 32-bit length: a larger text goes in pieces, so that no byte is
    // left out of the digest.
    constexpr size_t kMaxPiece = 1u << 30;
    do {
        const std::string_view piece = bytes.substr(0, kMaxPiece);
        CheckCng(BCryptHashData(hash_.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(piece.data())),
                                ULONG(piece.size()), 0),
                 "hash data");
        bytes.remove_prefix(piece.size());
    } while (!bytes.empty());
}

Sha256Digest Sha256::Digest()
{
    Sha256Digest digest;
    CheckCng(BCryptFinishHash(hash_.Get(), digest.data(), ULONG(digest.size()), 0), "hash digest");
    return digest;
}

std::string Sha256::HexDigest()
{
    std::string hex;
    for (unsigned char byte : Digest()) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

Sha256Digest Sha256Of(std::string_view bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    return hash.Digest();
}
