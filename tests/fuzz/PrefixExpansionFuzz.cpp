// Folder prefixes in a control file's paths ("{WINDIR}\x.dll") expanded by a lookup whose
// values come from the input too, so values may name prefixes themselves.
// Input: four values, each up to its first zero byte, then the text.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "PrefixExpansion.h"

namespace {

constexpr size_t kValueLimit = 24;

struct Table {
    std::string values[4];

    std::string operator()(const std::string& upperName) const
    {
        return upperName.size() == 1 && upperName[0] >= 'A' && upperName[0] <= 'D' ? values[upperName[0] - 'A']
                                                                                     : std::string();
    }
    bool HasBraces() const
    {
        for (const std::string& value : values)
            if (value.find_first_of("{}") != std::string::npos)
                return true;
        return false;
    }
};

// One pass from the left: what the expansion must give when no value holds a brace.
std::string ExpandOnce(std::string_view text, const Table& table)
{
    std::string result;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('{', at);
        const size_t close = open == std::string_view::npos ? open : text.find('}', open + 1);
        if (close == std::string_view::npos) {
            result += text.substr(at);
            break;
        }
        std::string name(text.substr(open + 1, close - open - 1));
        for (char& c : name)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        const std::string value = table(name);
        result += text.substr(at, open - at);
        result += value.empty() ? text.substr(open, close + 1 - open) : std::string_view(value);
        at = close + 1;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Table table;
    for (std::string& value : table.values) {
        const size_t end = input.find('\0');
        value = input.substr(0, std::min({end, input.size(), kValueLimit}));
        input.remove_prefix(std::min(end == std::string_view::npos ? input.size() : end + 1, input.size()));
    }
    const std::string text(input);
    const std::string expanded = ExpandPrefixNames(text, table);

    if (!table.HasBraces())
        FUZZ_CHECK(expanded == ExpandOnce(text, table));
    // Whatever came before, a prefix after enough closing braces stands on its own: each
    // value can leave one name open, and open names nest at most four deep.
    const std::string followed = ExpandPrefixNames(text + "}}}}}}}}{a}", table);
    const std::string alone = ExpandPrefixNames("{a}", table);
    FUZZ_CHECK(followed.size() >= alone.size() &&
               followed.compare(followed.size() - alone.size(), alone.size(), alone) == 0);

    // A folder's normal form does not end in a separator, unless it was written with a
    // doubled one.
    const std::string folder = NormalisedFolder(text);
    FUZZ_CHECK(folder.empty() == text.empty());
    if (text.find("\\\\", 2) == std::string::npos)
        FUZZ_CHECK(folder.empty() || folder.back() != '\\');
    return 0;
}
