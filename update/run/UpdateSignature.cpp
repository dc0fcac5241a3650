#include "UpdateSignature.h"

#include <cstdio>
#include <cstring>

#include "Exception.h"
#include "SignatureText.h"

namespace {

void Check(NTSTATUS status, const char* what)
{
    if (!BCRYPT_SUCCESS(status))
        throw Exception(std::string("CNG: ") + what);
}

// The key lives no longer than the provider it was imported into.
CngKey ImportPublicKey(const CngAlgorithm& algorithm, const PublicKeyBytes& key)
{
    std::array<unsigned char, sizeof(BCRYPT_ECCKEY_BLOB) + 64> blob{};
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, key.data(), key.size());
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, blob.data(),
                                            ULONG(blob.size()), 0)))
        return CngKey();
    return CngKey(handle);
}

} // namespace

CngAlgorithm OpenCngAlgorithm(const wchar_t* algorithm)
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    Check(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0), "algorithm not available");
    return CngAlgorithm(handle);
}

Sha256::Sha256() : algorithm_(OpenCngAlgorithm(BCRYPT_SHA256_ALGORITHM))
{
    ULONG length = 0;
    ULONG written = 0;
    Check(BCryptGetProperty(algorithm_.Get(), BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&length),
                            sizeof length, &written, 0),
          "hash object length");
    state_.resize(length);
    BCRYPT_HASH_HANDLE hash = nullptr;
    Check(BCryptCreateHash(algorithm_.Get(), &hash, state_.data(), length, nullptr, 0, 0), "hash");
    hash_.Reset(hash);
}

void Sha256::Update(std::string_view bytes)
{
    // The platform takes a 32-bit length: a larger text goes in pieces, so that no byte is
    // left out of the digest.
    constexpr size_t kMaxPiece = 1u << 30;
    do {
        const std::string_view piece = bytes.substr(0, kMaxPiece);
        Check(BCryptHashData(hash_.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(piece.data())),
                             ULONG(piece.size()), 0),
              "hash data");
        bytes.remove_prefix(piece.size());
    } while (!bytes.empty());
}

Sha256Digest Sha256::Digest()
{
    Sha256Digest digest;
    Check(BCryptFinishHash(hash_.Get(), digest.data(), ULONG(digest.size()), 0), "hash digest");
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

bool VerifyControlFileSignature(std::string_view controlBytes, std::string_view signatureText,
                                const PublicKeyBytes& key)
{
    auto signature = ParseSignatureText(signatureText);
    if (!signature)
        return false;
    CngAlgorithm algorithm = OpenCngAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    CngKey publicKey = ImportPublicKey(algorithm, key);
    if (!publicKey)
        return false;
    Sha256Digest digest = Sha256Of(controlBytes);
    return BCRYPT_SUCCESS(BCryptVerifySignature(publicKey.Get(), nullptr, digest.data(), ULONG(digest.size()),
                                                signature->data(), ULONG(signature->size()), 0));
}
