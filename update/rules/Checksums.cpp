#include "Checksums.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

} // namespace

uint32_t AddByteSum(uint32_t sum, std::string_view block)
{
    for (char c : block)
        sum += static_cast<unsigned char>(c);
    return sum;
}

uint32_t AddCrcVariant(uint32_t reg, std::string_view block)
{
    for (char c : block)
        reg += kCrcTable[(reg ^ static_cast<unsigned char>(c)) & 0xFF] ^ (reg >> 8);
    return reg;
}
