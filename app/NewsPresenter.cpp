#include "NewsPresenter.h"

#include "NewsItemText.h"
#include "PopupHoldRule.h"

void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target, PendingPopup& pending)
{
    const LatestItem item = state.Snapshot();
    target.SetIconIndex(item.FetchStatus);
    if (item.LatestTitle != item.LastShownTitle) {
        const std::string title = ItemLine(item.LatestTitle);
        const std::string text = ItemLine(target.DecodeText(item.LatestText));
        state.SetLastShownTitle(item.LatestTitle);
        // The same item once more (the menu command) while waiting is no other item.
        if (pending.pending && pending.title != title)
            ++pending.others;
        pending.pending = true;
        pending.title = title;
        pending.text = text;
        if (!target.LogHoldsTitle(title))
            target.AppendLogEntry(title, text);
    }
    // The menu command asks for this tick's announcement only.
    const bool mustWait = !pending.pending || target.PopupsMustWait(pending.askedFor);
    pending.askedFor = false;
    if (mustWait)
        return;

    target.SetPopupTitle("Soriel 3 - " + pending.title);
    target.SetPopupText(pending.others ? pending.text + "\n" + MoreItemsText(pending.others) : pending.text);
    // Taken before showing: a popup that fails is not shown again and again.
    pending = {};
    target.ShowPopup();
    if (target.SoundOn())
        target.PlaySound();
}

void ForgetLastShownItem(TLatestItemState& state, PendingPopup& pending)
{
    state.SetLastShownTitle({});
    pending.askedFor = true;
}
