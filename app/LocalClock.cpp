#include "LocalClock.h"

#include <windows.h>

#include "Text.h"

namespace {

constexpr uint64_t TicksPerDay = 24ULL * 3600 * 10000000;

} // namespace

LocalTime LocalNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    // The local time counted as a file time counts: only its whole days are taken.
    FILETIME counted;
    SystemTimeToFileTime(&now, &counted);
    const ULARGE_INTEGER ticks{{counted.dwLowDateTime, counted.dwHighDateTime}};
    return {int64_t(ticks.QuadPart / TicksPerDay), now.wHour * 60 + now.wMinute};
}

std::string ShortDate(int64_t day)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = uint64_t(day) * TicksPerDay;
    const FILETIME counted{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME date;
    FileTimeToSystemTime(&counted, &date);
    wchar_t text[128] = {};
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 128, nullptr);
    return length > 0 ? Narrow(std::wstring_view(text, size_t(length - 1))) : std::string();
}
