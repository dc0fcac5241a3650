#include "FileDate.h"

#include <cmath>

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

uint64_t DateTimeToFileDate(double dateTime)
{
    double days = std::floor(dateTime);
    auto milliseconds = (int64_t(days) + kDaysFrom1601To1899) * int64_t(kMillisecondsPerDay) +
                        std::llround((dateTime - days) * double(kMillisecondsPerDay));
    return milliseconds < 0 ? 0 : uint64_t(milliseconds) * kTicksPerMillisecond;
}
