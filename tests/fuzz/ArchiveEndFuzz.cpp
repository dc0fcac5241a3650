// The news archive's end, from any bytes: a batch written where FindArchiveEnd says is found
// there afterwards and never written twice, and only a closing brace is written over. The
// first byte splits the rest into the archive's last bytes and the batch's entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "NewsArchiveRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = data[0] % (input.size() + 1);
    std::string archive(input.substr(0, split));
    const std::string entries = InViewerColours(input.substr(split));
    FUZZ_CHECK(InViewerColours(entries) == entries);

    const ArchiveEnd end = FindArchiveEnd(archive, entries);
    if (end.kind == ArchiveEnd::Unusable)
        return 0;
    if (end.brace != std::string::npos)
        FUZZ_CHECK(end.brace < archive.size() && archive[end.brace] == '}');
    if (end.kind == ArchiveEnd::AppendAt) {
        archive.resize(end.brace + 1);
        archive += std::string(kBatchStart) + entries + "}";
    }
    if (end.brace != std::string::npos)
        archive[end.brace] = kBlankedBrace[0];
    const ArchiveEnd again = FindArchiveEnd(archive, entries);
    FUZZ_CHECK(again.kind == ArchiveEnd::Holds && again.brace == std::string::npos);
    return 0;
}
