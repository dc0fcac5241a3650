#include "NewsPresenter.h"

#include "PopupHoldRule.h"

void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target, PendingPopup& pending)
{
    const LatestItem item = state.Snapshot();
    target.SetIconIndex(item.FetchStatus);
    if (item.LatestTitle != item.LastShownTitle) {
        const std::string text = target.DecodeText(item.LatestText);
        state.SetLastShownTitle(item.LatestTitle);
        // The same item once more (the menu command) while waiting is no other item.
        if (pending.pending && pending.title != item.LatestTitle)
            ++pending.others;
        pending.pending = true;
        pending.title = item.LatestTitle;
        pending.text = text;
        if (!target.LogHoldsLine(item.LatestTitle))
            target.AppendLogEntry(item.LatestTitle, text);
    }
    if (!pending.pending || target.PopupsMustWait())
        return;

    target.SetPopupTitle("Soriel 3 - " + pending.title);
    target.SetPopupText(pending.others ? pending.text + "\n" + MoreItemsText(pending.others) : pending.text);
    // Taken before showing: a popup that fails is not shown again and again.
    pending = {};
    target.ShowPopup();
    if (target.SoundOn())
        target.PlaySound();
}

void ForgetLastShownItem(TLatestItemState& state) { state.SetLastShownTitle({}); }
