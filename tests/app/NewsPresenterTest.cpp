#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "NewsPresenter.h"

namespace {

// Writes down every step the tick takes, against a log of given lines.
class Recorder : public NewsPresenterTarget {
public:
    std::vector<std::string> steps;
    std::vector<std::string> log;
    bool soundOn = true;
    bool failDecoding = false;
    bool failShowing = false;
    bool mustWait = false;

    void SetIconIndex(int index) override { steps.push_back("icon " + std::to_string(index)); }
    std::string DecodeText(const std::string& raw) override
    {
        if (failDecoding)
            throw std::runtime_error("decoder");
        return "decoded " + raw;
    }
    void SetPopupTitle(const std::string& title) override { steps.push_back("title " + title); }
    void SetPopupText(const std::string& text) override { steps.push_back("text " + text); }
    bool LogHoldsTitle(const std::string& title) override
    {
        return std::find(log.begin(), log.end(), title) != log.end();
    }
    void AppendLogEntry(const std::string& title, const std::string& text) override
    {
        steps.push_back("log " + title + " | " + text);
        log.insert(log.end(), {title, text, ""});
    }
    void ShowPopup() override
    {
        if (failShowing)
            throw std::runtime_error("popup");
        steps.push_back("popup");
    }
    bool PopupsMustWait() override { return mustWait; }
    bool SoundOn() override { return soundOn; }
    void PlaySound() override { steps.push_back("sound"); }
};

using Steps = std::vector<std::string>;

void Publish(TLatestItemState& state, const std::string& title, const std::string& text, uint8_t status)
{
    state.SetFetchStatus(status);
    if (!title.empty())
        state.PublishItem(title, text);
}

} // namespace

TEST(NewsPresenter, NewItemIsAnnouncedOnceInOrder)
{
    TLatestItemState state;
    Publish(state, "6.12.2026 14:35", "a%20b", 1);
    Recorder target;
    PendingPopup pending;
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "log 6.12.2026 14:35 | decoded a%20b", "title Soriel 3 - 6.12.2026 14:35",
                                   "text decoded a%20b", "popup", "sound"}));
    EXPECT_EQ(state.Snapshot().LastShownTitle, "6.12.2026 14:35");

    target.steps.clear();
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, Steps{"icon 1"});
}

TEST(NewsPresenter, NothingIsAnnouncedBeforeTheFirstItem)
{
    TLatestItemState state;
    Publish(state, "", "", 2);
    Recorder target;
    PendingPopup pending;
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, Steps{"icon 2"});
}

TEST(NewsPresenter, LoggedItemGetsPopupAndSoundButNoSecondEntry)
{
    TLatestItemState state;
    Publish(state, "6.12.2026 14:35", "x", 1);
    Recorder target;
    PendingPopup pending;
    target.log = {"something", "6.12.2026 14:35", "older text", ""};
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "title Soriel 3 - 6.12.2026 14:35", "text decoded x", "popup", "sound"}));
}

TEST(NewsPresenter, SoundOffStillAnnounces)
{
    TLatestItemState state;
    Publish(state, "t", "x", 1);
    Recorder target;
    PendingPopup pending;
    target.soundOn = false;
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps.back(), "popup");
}

TEST(NewsPresenter, MenuCommandAnnouncesTheCurrentItemAgainWithoutSecondEntry)
{
    TLatestItemState state;
    Publish(state, "t", "x", 1);
    Recorder target;
    PendingPopup pending;
    PresentLatestItem(state, target, pending);
    ForgetLastShownItem(state);
    target.steps.clear();
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "title Soriel 3 - t", "text decoded x", "popup", "sound"}));
}

TEST(NewsPresenter, MenuCommandWithoutAnyItemAnnouncesNothing)
{
    TLatestItemState state;
    Publish(state, "", "", 0);
    Recorder target;
    PendingPopup pending;
    ForgetLastShownItem(state);
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, Steps{"icon 0"});
}

TEST(NewsPresenter, ErrorBeforeTheItemCountsAsShownIsRetriedOnTheNextTick)
{
    TLatestItemState state;
    Publish(state, "t", "x", 1);
    Recorder target;
    PendingPopup pending;
    target.failDecoding = true;
    EXPECT_THROW(PresentLatestItem(state, target, pending), std::runtime_error);
    EXPECT_EQ(state.Snapshot().LastShownTitle, "");

    target.failDecoding = false;
    target.steps.clear();
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps.back(), "sound");
}

TEST(NewsPresenter, ErrorAfterTheItemCountsAsShownIsNotRepeated)
{
    TLatestItemState state;
    Publish(state, "t", "x", 1);
    Recorder target;
    PendingPopup pending;
    target.failShowing = true;
    EXPECT_THROW(PresentLatestItem(state, target, pending), std::runtime_error);
    EXPECT_EQ(state.Snapshot().LastShownTitle, "t");
    EXPECT_EQ(target.log.size(), 3u);

    target.steps.clear();
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, Steps{"icon 1"});
}

TEST(NewsPresenter, WhileHeldTheLogTakesEachItemAndTheNewestIsShownOnceWithTheCountOfTheOthers)
{
    TLatestItemState state;
    Recorder target;
    PendingPopup pending;
    target.mustWait = true;
    Publish(state, "t1", "x1", 1);
    PresentLatestItem(state, target, pending);
    Publish(state, "t2", "x2", 1);
    PresentLatestItem(state, target, pending);
    Publish(state, "t3", "x3", 1);
    PresentLatestItem(state, target, pending);
    // The menu command while held: the same item again is no other one.
    ForgetLastShownItem(state);
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "log t1 | decoded x1", "icon 1", "log t2 | decoded x2", "icon 1",
                                   "log t3 | decoded x3", "icon 1"}));

    target.steps.clear();
    target.mustWait = false;
    PresentLatestItem(state, target, pending);
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "title Soriel 3 - t3", "text decoded x3\na 2 další zprávy", "popup",
                                   "sound", "icon 1"}));
}

TEST(NewsPresenter, PopupLogAndDuplicateCheckGetOneLineOfEachCutAtACharacter)
{
    TLatestItemState state;
    std::string czech;
    for (int i = 0; i < 2000; ++i)
        czech += "ž";
    Publish(state, "7.12.2026 10:0\xC5", czech + "\r\n", 1);
    Recorder target;
    PendingPopup pending;
    PresentLatestItem(state, target, pending);
    // "decoded " and 991 letters make 999 characters, and the mark the thousandth.
    std::string shown = "decoded ";
    for (int i = 0; i < 991; ++i)
        shown += "ž";
    shown += "…";
    const std::string title = "7.12.2026 10:0\xEF\xBF\xBD";
    EXPECT_EQ(target.steps, (Steps{"icon 1", "log " + title + " | " + shown, "title Soriel 3 - " + title,
                                   "text " + shown, "popup", "sound"}));

    // Announced again (as after a restart): the log already holds that very title.
    ForgetLastShownItem(state);
    target.steps.clear();
    PresentLatestItem(state, target, pending);
    EXPECT_EQ(target.steps, (Steps{"icon 1", "title Soriel 3 - " + title, "text " + shown, "popup", "sound"}));
}
