#include "NewsPresenter.h"

#include "PopupHoldRule.h"

namespace {

void Announce(PendingPopup& pending, const LogEntry& newest, int others)
{
    // The same item once more (the menu command) while waiting is no other item.
    if (pending.pending && pending.item != newest)
        ++pending.others;
    pending.pending = true;
    pending.item = newest;
    pending.others += others;
}

// The page's items not logged yet go to the log, and the newest of them is announced.
void LookAtPage(const std::vector<PageRow>& raw, uint64_t delivery, NewsPresenterTarget& target,
                PresenterMemory& memory)
{
    std::vector<PageRow> rows;
    rows.reserve(raw.size());
    for (const PageRow& row : raw)
        rows.push_back({row.minuteOfDay, ItemLine(target.DecodeText(row.text))});
    const LocalTime now = target.Now();
    // Dates in the one-line form too: the titles logged and those recognised are made alike.
    const DayFormat format = [&](int64_t day) { return ItemLine(target.FormatDay(day)); };
    const std::vector<PageItem> items = DatePageRows(rows, now);
    const std::vector<size_t> fresh = NewItems(items, target.LastLogEntries(), now, format);
    memory.delivery = delivery;
    memory.current = LogEntry{ItemTitle(items.front(), format), items.front().text};
    if (fresh.empty())
        return;
    std::vector<LogEntry> entries;
    for (auto item = fresh.rbegin(); item != fresh.rend(); ++item)
        entries.push_back({ItemTitle(items[*item], format), items[*item].text});
    target.AppendLogEntries(entries);
    Announce(memory.pending, entries.back(), int(entries.size()) - 1);
    memory.announceCurrent = false;
}

} // namespace

void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target, PresenterMemory& memory)
{
    const LatestItem item = state.Snapshot();
    target.SetIconIndex(item.FetchStatus);
    if (item.Rows && item.Delivery != memory.delivery)
        LookAtPage(*item.Rows, item.Delivery, target, memory);
    if (memory.announceCurrent && memory.current) {
        Announce(memory.pending, *memory.current, 0);
        memory.announceCurrent = false;
    }
    PendingPopup& pending = memory.pending;
    // The menu command asks for this tick's announcement only.
    const bool mustWait = !pending.pending || target.PopupsMustWait(pending.askedFor);
    pending.askedFor = false;
    if (mustWait)
        return;

    target.SetPopupTitle("Soriel 3 - " + pending.item.title);
    target.SetPopupText(pending.others ? pending.item.text + "\n" + MoreItemsText(pending.others) : pending.item.text);
    // Taken before showing: a popup that fails is not shown again and again.
    pending = {};
    target.ShowPopup();
    if (target.SoundOn())
        target.PlaySound();
}

void ForgetLastShownItem(PresenterMemory& memory)
{
    memory.announceCurrent = true;
    memory.pending.askedFor = true;
}
