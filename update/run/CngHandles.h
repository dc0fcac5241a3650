#pragma once
#include <windows.h>

#include <bcrypt.h>

#include "Handle.h"

// The platform cryptography's handle kinds.
struct CngAlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { BCryptCloseAlgorithmProvider(h, 0); }
};
using CngAlgorithm = UniqueHandle<CngAlgorithmTraits>;

struct CngKeyTraits {
    using Type = BCRYPT_KEY_HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { BCryptDestroyKey(h); }
};
using CngKey = UniqueHandle<CngKeyTraits>;

struct CngHashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { BCryptDestroyHash(h); }
};
using CngHash = UniqueHandle<CngHashTraits>;

// Opens a provider of the algorithm (e.g. BCRYPT_SHA256_ALGORITHM); raises Exception when the
// platform has none.
CngAlgorithm OpenCngAlgorithm(const wchar_t* algorithm);
