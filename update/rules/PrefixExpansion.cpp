#include "PrefixExpansion.h"

#include <algorithm>
#include <vector>

#include "AsciiCase.h"

namespace {

constexpr size_t kMaxNesting = 16;

// Text inserted for one name: positions before End belong to it while the scan is inside.
struct Expansion {
    std::string Name;
    size_t End;
};

} // namespace

std::string ExpandPrefixNames(std::string text, const PrefixLookup& prefixValue)
{
    std::vector<Expansion> open;
    size_t at = 0;
    while (at < text.size()) {
        while (!open.empty() && at >= open.back().End)
            open.pop_back();
        if (text[at] != '{') {
            ++at;
            continue;
        }
        size_t close = text.find('}', at + 1);
        if (close == std::string::npos)
            break;
        std::string name = ToUpper(text.substr(at + 1, close - at - 1));
        bool insideItself = std::any_of(open.begin(), open.end(), [&](const Expansion& e) { return e.Name == name; });
        std::string value = insideItself || open.size() >= kMaxNesting ? std::string() : prefixValue(name);
        if (value.empty()) {
            at = close + 1;
            continue;
        }
        size_t replaced = close + 1 - at;
        text.replace(at, replaced, value);
        // An expansion the name ran past now ends where the name's value ends.
        for (Expansion& e : open)
            e.End = e.End > close ? e.End - replaced + value.size() : at + value.size();
        open.push_back({std::move(name), at + value.size()});
    }
    return text;
}

std::string NormalisedFolder(std::string folder)
{
    if (folder.empty())
        return folder;
    if (folder.back() != '\\')
        folder += '\\';
    if (folder.size() > 3 && folder[1] == ':')
        folder.pop_back();
    else
        folder += '.';
    return folder;
}
