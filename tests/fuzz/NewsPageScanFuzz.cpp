// A fetched page scanned for its item rows where it lies, against its lines as the string
// list splits them; the rows dated by a clock taken from the input, and what is new told
// apart from a log that then takes those items, as the presenter does.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "NewItems.h"
#include "NewsItemText.h"
#include "NewsPageScan.h"
#include "StringList.h"

namespace {

// The scan agrees with a direct reading of the page's lines.
std::vector<PageRow> CheckScan(std::string_view text)
{
    TStringList page;
    page.SetText(text);
    const std::vector<PageRow> rows = ScanNewsPage(text);
    FUZZ_CHECK(rows.size() <= MostPageRows);
    const auto marked = [&](size_t line) { return page[line].find(ItemRowMarker) != std::string::npos; };
    size_t row = 0;
    for (size_t line = 0; line < page.Count() && row < MostPageRows; ++line) {
        if (!marked(line) || line + 1 == page.Count() || marked(line + 1))
            continue;
        const std::optional<int> minute = MinuteOfDay(page[line].size() > 24 ? page[line].substr(24, 5) : "");
        const std::string& cell = page[++line];
        if (!minute)
            continue;
        FUZZ_CHECK(row < rows.size());
        FUZZ_CHECK(rows[row].minuteOfDay == *minute);
        FUZZ_CHECK(cell.find(rows[row].text) != std::string::npos);
        const size_t open = cell.find("<td>");
        const size_t close = cell.find("</td>");
        if (open != std::string::npos && close != std::string::npos && open + 4 <= close)
            FUZZ_CHECK(rows[row].text == cell.substr(open + 4, std::min(close - open - 4, RawItemTextLimit)));
        ++row;
    }
    FUZZ_CHECK(row == rows.size());
    return rows;
}

// Dates go down the page, the top one no later than the clock allows; what is new is at the
// top, at most MostItemsPerPoll of it, not in the log, and once logged it is new no more.
void CheckItems(const std::vector<PageRow>& rows, LocalTime now, uint8_t logged, uint8_t altered)
{
    const DayFormat format = [](int64_t day) { return "d" + std::to_string(day); };
    const std::vector<PageItem> items = DatePageRows(rows, now);
    const auto at = [](const PageItem& item) { return item.day * 1440 + item.minuteOfDay; };
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(at(items[i]) <= (i == 0 ? now.day * 1440 + now.minuteOfDay + ClockAheadMinutes : at(items[i - 1])));
        for (size_t k = 0; k < i; ++k)
            FUZZ_CHECK(items[k].minuteOfDay != items[i].minuteOfDay || items[k].text != items[i].text);
    }
    // A log whose last entries are some of the page's items, oldest first, some of them with
    // a text the page has since corrected.
    std::vector<LogEntry> log;
    for (size_t i = std::min<size_t>(logged, items.size()); i-- > 0;)
        if (logged >> (i % 8) & 1)
            log.push_back({ItemTitle(items[i], format), items[i].text + (altered >> (i % 8) & 1 ? "'" : "")});
    const std::vector<size_t> fresh = NewItems(items, log, now, format);
    FUZZ_CHECK(fresh.size() <= MostItemsPerPoll);
    FUZZ_CHECK(std::is_sorted(fresh.begin(), fresh.end()));
    FUZZ_CHECK(std::adjacent_find(fresh.begin(), fresh.end()) == fresh.end());
    FUZZ_CHECK(fresh.empty() || fresh.back() < items.size());
    FUZZ_CHECK(!log.empty() || fresh == (items.empty() ? std::vector<size_t>{} : std::vector<size_t>{0}));
    for (auto i = fresh.rbegin(); i != fresh.rend(); ++i) {
        const LogEntry entry{ItemTitle(items[*i], format), items[*i].text};
        FUZZ_CHECK(std::find(log.begin(), log.end(), entry) == log.end());
        log.push_back(entry);
    }
    FUZZ_CHECK(NewItems(items, log, now, format).empty());
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
    const std::vector<PageRow> rows = CheckScan(text);

    // The first bytes also serve as the clock's time of day and which items the log holds.
    if (size >= 4)
        CheckItems(rows, {1000, (data[0] << 8 | data[1]) % 1440}, data[2], data[3]);
    // And, read as two whole numbers, as a part's bounds.
    if (size >= 2 * sizeof(long long)) {
        long long bounds[2];
        std::memcpy(bounds, data, sizeof bounds);
        CheckCopyText(text, bounds[0], bounds[1]);
    }
    return 0;
}
