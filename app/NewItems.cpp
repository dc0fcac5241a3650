#include "NewItems.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int MinutesPerDay = 24 * 60;

int64_t MinutesOf(int64_t day, int minuteOfDay) { return day * MinutesPerDay + minuteOfDay; }

int64_t MinutesOf(const PageItem& item) { return MinutesOf(item.day, item.minuteOfDay); }

// Logged titles read back to their date and time: the dates are the format's own texts of
// the days from tomorrow back, each made once, when first needed.
class TitleReader {
public:
    TitleReader(LocalTime now, const DayFormat& format) : now_(now), format_(format) {}

    std::optional<int64_t> MinutesOf(const std::string& title)
    {
        const size_t timeAt = title.size() - std::min<size_t>(title.size(), 5);
        const std::optional<int> minute = MinuteOfDay(std::string_view(title).substr(timeAt));
        if (!minute || timeAt == 0 || title[timeAt - 1] != ' ')
            return std::nullopt;
        const std::string_view date = std::string_view(title).substr(0, timeAt - 1);
        for (size_t back = 0; back <= size_t(OldestRecognisedDays) + 1; ++back) {
            const int64_t day = now_.day + 1 - int64_t(back);
            if (back == dates_.size())
                dates_.push_back(format_(day));
            if (dates_[back] == date)
                return ::MinutesOf(day, *minute);
        }
        return std::nullopt;
    }

private:
    const LocalTime now_;
    const DayFormat& format_;
    std::vector<std::string> dates_;
};

} // namespace

std::vector<PageItem> DatePageRows(const std::vector<PageRow>& rows, LocalTime now)
{
    std::vector<PageItem> items;
    int64_t day = now.day;
    for (size_t i = 0; i < rows.size(); ++i) {
        const PageRow& row = rows[i];
        if (i == 0 ? row.minuteOfDay > now.minuteOfDay + ClockAheadMinutes : row.minuteOfDay > rows[i - 1].minuteOfDay)
            --day;
        const bool seen = std::any_of(items.begin(), items.end(), [&](const PageItem& item) {
            return item.minuteOfDay == row.minuteOfDay && item.text == row.text;
        });
        if (!seen)
            items.push_back({day, row.minuteOfDay, row.text});
    }
    return items;
}

std::string ItemTitle(const PageItem& item, const DayFormat& format)
{
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", item.minuteOfDay / 60, item.minuteOfDay % 60);
    return format(item.day) + " " + time;
}

std::vector<size_t> NewItems(const std::vector<PageItem>& items, const std::vector<LogEntry>& lastEntries,
                             LocalTime now, const DayFormat& format)
{
    TitleReader titles(now, format);
    const int64_t latest = MinutesOf(now.day, now.minuteOfDay) + ClockAheadMinutes;
    const LogEntry* anchor = nullptr;
    int64_t anchorAt = 0;
    for (auto entry = lastEntries.rbegin(); entry != lastEntries.rend() && !anchor; ++entry) {
        const std::optional<int64_t> at = titles.MinutesOf(entry->title);
        if (!at)
            break;
        // An entry dated in the future (a day too late, as the top row after midnight was
        // once logged) is passed over.
        if (*at <= latest) {
            anchor = &*entry;
            anchorAt = *at;
        }
    }
    // The candidates: the items above the one equal to the anchor, if one is; otherwise those
    // of the anchor's minute and later; without an anchor, the top one.
    const auto same = std::find_if(items.begin(), items.end(), [&](const PageItem& item) {
        return anchor && MinutesOf(item) == anchorAt && item.text == anchor->text;
    });
    const auto held = [&](const PageItem& item) {
        const std::string title = ItemTitle(item, format);
        return std::any_of(lastEntries.begin(), lastEntries.end(),
                           [&](const LogEntry& entry) { return entry.title == title && entry.text == item.text; });
    };
    std::vector<size_t> fresh;
    for (size_t i = 0; i < items.size() && fresh.size() < MostItemsPerPoll; ++i) {
        const bool candidate = !anchor              ? i == 0
                               : same != items.end() ? i < size_t(same - items.begin())
                                                     : MinutesOf(items[i]) >= anchorAt;
        if (candidate && !held(items[i]))
            fresh.push_back(i);
    }
    return fresh;
}
