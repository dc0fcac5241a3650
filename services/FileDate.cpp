#include "FileDate.h"

namespace {
constexpr uint64_t kTicksPerMillisecond = 10'000;
constexpr uint64_t kMillisecondsPerDay = 86'400'000;
constexpr uint64_t kTicksPerDay = kTicksPerMillisecond * kMillisecondsPerDay;
constexpr int64_t kDaysFrom1601To1899 = 109'205;
} // namespace

double FileDateToDateTime(uint64_t fileTime)
{
    auto days = int64_t(fileTime / kTicksPerDay) - kDaysFrom1601To1899;
    uint64_t milliseconds = fileTime % kTicksPerDay / kTicksPerMillisecond;
    return double(days) + double(milliseconds) / double(kMillisecondsPerDay);
}
