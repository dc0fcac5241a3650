#include "NewsPageScan.h"

#include <algorithm>

#include "NewsItemText.h"
#include "StringList.h"

namespace {

constexpr long long TimeOfDayPosition = 25;
constexpr long long TimeOfDayLength = 5;
constexpr std::string_view CellOpen = "<td>";
constexpr std::string_view CellClose = "</td>";

} // namespace

std::string CopyText(std::string_view text, long long start, long long count)
{
    if (start < 1)
        start = 1;
    const long long size = static_cast<long long>(text.size());
    if (start > size || count <= 0)
        return {};
    if (count > size - start + 1)
        count = size - start + 1;
    return std::string(text.substr(size_t(start - 1), size_t(count)));
}

long long PositionOf(std::string_view part, std::string_view text)
{
    size_t at = text.find(part);
    return at == std::string_view::npos ? 0 : static_cast<long long>(at) + 1;
}

std::optional<NewsItem> ScanNewsPage(std::string_view page, std::string_view date)
{
    TextLines lines(page);
    while (const std::optional<std::string_view> line = lines.Next()) {
        if (PositionOf(ItemRowMarker, *line) == 0)
            continue;
        NewsItem item;
        item.Title = std::string(date) + " " + CopyText(*line, TimeOfDayPosition, TimeOfDayLength);
        if (const std::optional<std::string_view> cell = lines.Next()) {
            const long long open = PositionOf(CellOpen, *cell);
            const long long close = PositionOf(CellClose, *cell);
            const long long openLength = static_cast<long long>(CellOpen.size());
            // Bytes past the raw limit would only be cut off after decoding: they are not copied.
            const long long length = std::min(close - open - openLength, static_cast<long long>(RawItemTextLimit));
            item.Text = CopyText(*cell, open + openLength, length);
        }
        return item;
    }
    return std::nullopt;
}
