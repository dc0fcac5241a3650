// A fetched page scanned for its first item row where it lies, against its lines as the
// string list splits them.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "NewsItemText.h"
#include "NewsPageScan.h"
#include "StringList.h"

namespace {

// The scan agrees with a direct reading of the page's lines.
void CheckScan(std::string_view text)
{
    TStringList page;
    page.SetText(text);
    const std::string date = "7.12.2026";
    const auto item = ScanNewsPage(text, date);
    size_t row = 0;
    while (row < page.Count() && page[row].find(ItemRowMarker) == std::string::npos)
        ++row;
    FUZZ_CHECK(item.has_value() == (row < page.Count()));
    if (!item)
        return;

    const std::string& marked = page[row];
    const std::string timeOfDay = marked.size() > 24 ? marked.substr(24, 5) : std::string();
    FUZZ_CHECK(item->Title == date + " " + timeOfDay);
    FUZZ_CHECK(item->Text.has_value() == (row + 1 < page.Count()));
    if (!item->Text)
        return;

    const std::string& cell = page[row + 1];
    FUZZ_CHECK(cell.find(*item->Text) != std::string::npos);
    const size_t open = cell.find("<td>");
    const size_t close = cell.find("</td>");
    if (open != std::string::npos && close != std::string::npos && open + 4 <= close)
        FUZZ_CHECK(*item->Text == cell.substr(open + 4, std::min(close - open - 4, RawItemTextLimit)));
}

// Byte positions are 1-based, as the page rules count them; out-of-range parts are empty.
void CheckCopyText(std::string_view text, long long start, long long count)
{
    const std::string part = CopyText(text, start, count);
    const long long from = start < 1 ? 0 : start - 1;
    if (count <= 0 || from >= static_cast<long long>(text.size())) {
        FUZZ_CHECK(part.empty());
        return;
    }
    FUZZ_CHECK(part.size() == std::min<unsigned long long>(static_cast<unsigned long long>(count), text.size() - from));
    FUZZ_CHECK(text.substr(static_cast<size_t>(from), part.size()) == part);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckScan(text);

    // The first bytes, read as two whole numbers, also serve as a part's bounds.
    if (size >= 2 * sizeof(long long)) {
        long long bounds[2];
        std::memcpy(bounds, data, sizeof bounds);
        CheckCopyText(text, bounds[0], bounds[1]);
    }
    return 0;
}
