#include "NewsPresenter.h"

void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target)
{
    const LatestItem item = state.Snapshot();
    target.SetIconIndex(item.FetchStatus);
    if (item.LatestTitle == item.LastShownTitle)
        return;

    target.SetPopupTitle("Soriel 3 - " + item.LatestTitle);
    const std::string text = target.DecodeText(item.LatestText);
    target.SetPopupText(text);
    state.SetLastShownTitle(item.LatestTitle);

    if (!target.LogHoldsLine(item.LatestTitle))
        target.AppendLogEntry(item.LatestTitle, text);
    target.ShowPopup();
    if (target.SoundOn())
        target.PlaySound();
}

void ForgetLastShownItem(TLatestItemState& state) { state.SetLastShownTitle({}); }
