#pragma once
#include <cstdint>
#include <string_view>

// Checksums of update files, one block at a time: start with the start value, feed every
// block in order, and take the result.

inline constexpr uint32_t kByteSumStart = 0xFFFFFFFF;
// Adds every byte (unsigned) to the sum, modulo 2^32.
uint32_t AddByteSum(uint32_t sum, std::string_view block);

// The CRC variant of control files: the standard reflected CRC-32 table, but each step adds its
// value to the register instead of replacing it, so the values are not CRC-32 values.
inline constexpr uint32_t kCrcVariantStart = 0xFFFFFFFF;
uint32_t AddCrcVariant(uint32_t reg, std::string_view block);
inline uint32_t CrcVariantResult(uint32_t reg) { return ~reg; }
