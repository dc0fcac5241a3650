#include "NewsPageScan.h"

#include <algorithm>

#include "NewsItemText.h"
#include "StringList.h"

namespace {

constexpr long long TimeOfDayPosition = 25;
constexpr long long TimeOfDayLength = 5;
constexpr std::string_view CellOpen = "<td>";
constexpr std::string_view CellClose = "</td>";

bool IsMarkerLine(std::string_view line) { return PositionOf(ItemRowMarker, line) > 0; }

std::string CellText(std::string_view cell)
{
    const long long open = PositionOf(CellOpen, cell);
    const long long close = PositionOf(CellClose, cell);
    const long long openLength = static_cast<long long>(CellOpen.size());
    // Bytes past the raw limit would only be cut off after decoding: they are not copied.
    const long long length = std::min(close - open - openLength, static_cast<long long>(RawItemTextLimit));
    return CopyText(cell, open + openLength, length);
}

std::optional<int> TwoDigits(char tens, char ones)
{
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9')
        return std::nullopt;
    return (tens - '0') * 10 + (ones - '0');
}

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

std::optional<int> MinuteOfDay(std::string_view time)
{
    if (time.size() != 5 || time[2] != ':')
        return std::nullopt;
    const std::optional<int> hour = TwoDigits(time[0], time[1]);
    const std::optional<int> minute = TwoDigits(time[3], time[4]);
    if (!hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return *hour * 60 + *minute;
}

std::vector<PageRow> ScanNewsPage(std::string_view page)
{
    std::vector<PageRow> rows;
    TextLines lines(page);
    std::optional<std::string_view> line = lines.Next();
    while (line && rows.size() < MostPageRows) {
        if (!IsMarkerLine(*line)) {
            line = lines.Next();
            continue;
        }
        const std::optional<std::string_view> cell = lines.Next();
        // A marker line in the text's place starts the next row: the one before has no text.
        if (!cell || IsMarkerLine(*cell)) {
            line = cell;
            continue;
        }
        if (const std::optional<int> minute = MinuteOfDay(CopyText(*line, TimeOfDayPosition, TimeOfDayLength)))
            rows.push_back({*minute, CellText(*cell)});
        line = lines.Next();
    }
    return rows;
}
