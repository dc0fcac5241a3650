#include "UpdateSigner.h"

#include <cstring>
#include <stdexcept>

#include "Base64.h"
#include "Sha256.h"

namespace {

void Check(NTSTATUS status, const char* what)
{
    if (!BCRYPT_SUCCESS(status))
        throw std::runtime_error(std::string("test signer: ") + what);
}

} // namespace

TestSigner::TestSigner(CngAlgorithm algorithm, CngKey key) : algorithm_(std::move(algorithm)), key_(std::move(key)) {}

TestSigner TestSigner::BuildPair()
{
    CngAlgorithm algorithm = OpenCngAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    std::array<unsigned char, sizeof(BCRYPT_ECCKEY_BLOB) + 96> blob{};
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, kTestSigningKey.data(), kTestSigningKey.size());
    BCRYPT_KEY_HANDLE key = nullptr;
    Check(BCryptImportKeyPair(algorithm.Get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, &key, blob.data(), ULONG(blob.size()),
                              0),
          "import");
    return TestSigner(std::move(algorithm), CngKey(key));
}

TestSigner TestSigner::Generated()
{
    CngAlgorithm algorithm = OpenCngAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    Check(BCryptGenerateKeyPair(algorithm.Get(), &key, 256, 0), "generate");
    CngKey owned(key);
    Check(BCryptFinalizeKeyPair(key, 0), "finalize");
    return TestSigner(std::move(algorithm), std::move(owned));
}

std::string TestSigner::Sign(std::string_view bytes) const
{
    Sha256Digest digest = Sha256Of(bytes);
    std::array<unsigned char, 64> signature{};
    ULONG written = 0;
    Check(BCryptSignHash(key_.Get(), nullptr, digest.data(), ULONG(digest.size()), signature.data(),
                         ULONG(signature.size()), &written, 0),
          "sign");
    return Base64Encode(std::string_view(reinterpret_cast<const char*>(signature.data()), written)) + "\r\n";
}

PublicKeyBytes TestSigner::PublicKey() const
{
    std::array<unsigned char, sizeof(BCRYPT_ECCKEY_BLOB) + 64> blob{};
    ULONG written = 0;
    Check(BCryptExportKey(key_.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, blob.data(), ULONG(blob.size()), &written, 0),
          "export");
    PublicKeyBytes key;
    std::memcpy(key.data(), blob.data() + sizeof(BCRYPT_ECCKEY_BLOB), key.size());
    return key;
}

std::string SignControlFile(std::string_view bytes)
{
    return TestSigner::BuildPair().Sign(bytes);
}

std::string Sha256Hex(std::string_view bytes)
{
    Sha256 digest;
    digest.Update(bytes);
    return digest.HexDigest();
}
