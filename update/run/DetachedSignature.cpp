#include "DetachedSignature.h"

#include <cstring>

#include "AuthenticationText.h"
#include "Exception.h"

namespace {

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

bool SignatureVerifies(std::string_view controlBytes, std::string_view signatureText,
                       const std::vector<PublicKeyBytes>& keys)
{
    try {
        for (const PublicKeyBytes& key : keys)
            if (VerifyControlFileSignature(controlBytes, signatureText, key))
                return true;
        return false;
    } catch (const Exception&) {
        return false;
    }
}
