#include "NewsPresenter.h"

#include "NewsItemText.h"

void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target)
{
    const LatestItem item = state.Snapshot();
    target.SetIconIndex(item.FetchStatus);
    if (item.LatestTitle == item.LastShownTitle)
        return;

    const std::string title = ItemLine(item.LatestTitle);
    target.SetPopupTitle("Soriel 3 - " + title);
    const std::string text = ItemLine(target.DecodeText(item.LatestText));
    target.SetPopupText(text);
    state.SetLastShownTitle(item.LatestTitle);

    if (!target.LogHoldsTitle(title))
        target.AppendLogEntry(title, text);
    target.ShowPopup();
    if (target.SoundOn())
        target.PlaySound();
}

void ForgetLastShownItem(TLatestItemState& state) { state.SetLastShownTitle({}); }
