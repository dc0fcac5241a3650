#include <gtest/gtest.h>

#include <vector>

#include "TransferBudget.h"

namespace {

using Verdict = TransferBudget::Verdict;
using Kind = TransferBudget::Kind;

struct Step {
    enum { Begin, Check, End, Cancel, Left } what;
    uint64_t atMs;
    uint64_t bytes = 0; // Check: bytes so far; Left: the time left expected
    Kind kind = Kind::Small;
    Verdict expected = Verdict::Go; // Check: the transfer's verdict
};

struct BudgetCase {
    const char* name;
    std::vector<Step> steps;
    Verdict runAfter;
};

} // namespace

// Small transfers share 30 s between them, whatever lies between them; a download goes on as
// long as it moves 30 KiB in every 30 s; all transfers together have 50 s, and a cancel stops
// everything. A read may wait for what is left of whichever ends first.
TEST(TransferBudget, RunAllowanceSpeedRuleAndCancel)
{
    const BudgetCase cases[] = {
        {"small transfers within the allowance",
         {{Step::Begin, 0}, {Step::Check, 12000, 10}, {Step::End, 12000},
          {Step::Begin, 500000}, {Step::Check, 517999, 10}, {Step::End, 517999}},
         Verdict::Go},
        {"the allowance is shared: the second transfer runs out",
         {{Step::Begin, 0}, {Step::End, 20000}, {Step::Left, 50000, 30000}, {Step::Begin, 90000},
          {Step::Left, 95000, 5000}, {Step::Check, 99999, 1},
          {Step::Check, 100000, 2, Kind::Small, Verdict::OutOfTime}},
         Verdict::OutOfTime},
        {"one trickling control file runs out",
         {{Step::Begin, 1000}, {Step::Check, 28000, 9}, {Step::Check, 31000, 10, Kind::Small, Verdict::OutOfTime}},
         Verdict::OutOfTime},
        {"a long download that keeps moving",
         {{Step::Begin, 0, 0, Kind::Download}, {Step::Check, 29000, 30720}, {Step::Check, 48000, 61440},
          {Step::Check, 49999, 2000000}, {Step::End, 49999}},
         Verdict::Go},
        {"a download below 1 KiB/s for 30 s",
         {{Step::Begin, 0, 0, Kind::Download}, {Step::Check, 29999, 30000},
          {Step::Check, 30000, 30719, Kind::Download, Verdict::TooSlow}},
         Verdict::Go},
        {"a download that stalls after a good start",
         {{Step::Begin, 0, 0, Kind::Download}, {Step::Check, 1000, 500000}, {Step::Left, 10000, 21000},
          {Step::Check, 30999, 500000},
          {Step::Check, 31000, 500001, Kind::Download, Verdict::TooSlow}},
         Verdict::Go},
        {"downloads do not spend the small transfers' allowance",
         {{Step::Begin, 0, 0, Kind::Download}, {Step::Check, 15000, 10000000}, {Step::End, 15000},
          {Step::Begin, 15000}, {Step::Check, 44000, 1}},
         Verdict::Go},
        {"a download reaches the run's whole allowance",
         {{Step::Begin, 0}, {Step::End, 20000}, {Step::Begin, 20000, 0, Kind::Download},
          {Step::Check, 49999, 5000000}, {Step::Left, 49999, 1},
          {Step::Check, 50000, 5000001, Kind::Download, Verdict::OutOfTime}, {Step::Left, 50000, 0}},
         Verdict::OutOfTime},
        {"a dialog's time between transfers does not count",
         {{Step::Begin, 0}, {Step::End, 20000}, {Step::Begin, 500000, 0, Kind::Download},
          {Step::Check, 529999, 5000000}, {Step::End, 529999}, {Step::Begin, 900000}},
         Verdict::Go},
        {"cancel stops the transfer under way and the run",
         {{Step::Begin, 0, 0, Kind::Download}, {Step::Check, 10, 4096}, {Step::Cancel, 20},
          {Step::Check, 30, 8192, Kind::Download, Verdict::Cancelled}, {Step::Left, 30, 0}, {Step::End, 30}},
         Verdict::Cancelled},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.name);
        TransferBudget budget;
        for (const Step& step : c.steps) {
            switch (step.what) {
            case Step::Begin:
                budget.BeginTransfer(step.kind, step.atMs);
                break;
            case Step::Check:
                EXPECT_EQ(budget.Check(step.atMs, step.bytes), step.expected) << "at " << step.atMs;
                break;
            case Step::End:
                budget.EndTransfer(step.atMs);
                break;
            case Step::Cancel:
                budget.Cancel();
                break;
            case Step::Left:
                EXPECT_EQ(budget.MsLeft(step.atMs), step.bytes) << "left at " << step.atMs;
                break;
            }
        }
        EXPECT_EQ(budget.RunVerdict(), c.runAfter);
        budget.Reset();
        EXPECT_EQ(budget.RunVerdict(), Verdict::Go);
    }
}
