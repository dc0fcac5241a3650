// Dates and times of a control file, in the order and with the separators the system's
// settings give, and the date arithmetic under them. Input: date parts, separators and
// a format, then a date text and a time text of any kind.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

#include "ControlDate.h"
#include "ControlExpiry.h"
#include "FileDate.h"
#include "FuzzCheck.h"

namespace {

constexpr uint64_t kTicksPerDay = 864'000'000'000;

bool IsLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

DateTimeParts ConsumeParts(FuzzedDataProvider& input)
{
    static constexpr int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DateTimeParts parts;
    parts.Year = input.ConsumeIntegralInRange(1, 9999);
    parts.Month = input.ConsumeIntegralInRange(1, 12);
    parts.Day = input.ConsumeIntegralInRange(1, monthDays[parts.Month - 1] + (parts.Month == 2 && IsLeap(parts.Year)));
    parts.Hour = input.ConsumeIntegralInRange(0, 23);
    parts.Minute = input.ConsumeIntegralInRange(0, 59);
    parts.Second = input.ConsumeIntegralInRange(0, 59);
    parts.Millisecond = input.ConsumeIntegralInRange(0, 999);
    return parts;
}

auto Tie(const DateTimeParts& p) { return std::tie(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Millisecond); }

// The date's three numbers in the order the format's first date letter names; a year not
// written short has four digits, as a shorter one would count as short.
std::string DateText(const DateTimeParts& p, char order, char separator, bool shortYear)
{
    std::string year = std::to_string(shortYear ? p.Year % 100 : p.Year);
    if (!shortYear)
        year.insert(0, 4 - year.size(), '0');
    const std::string s(1, separator);
    const std::string month = std::to_string(p.Month), day = std::to_string(p.Day);
    if (order == 'd')
        return day + s + month + s + year;
    if (order == 'y')
        return year + s + month + s + day;
    return month + s + day + s + year;
}

DateTimeParts DateOnly(DateTimeParts p) { return {p.Year, p.Month, p.Day}; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const DateTimeParts a = ConsumeParts(input), b = ConsumeParts(input);
    const char order = input.PickValueInArray({'d', 'm', 'y'});
    const char separator = input.PickValueInArray({'.', '/', '-', ':'});
    const std::string format = input.ConsumeRandomLengthString(12);
    const std::string dateText = input.ConsumeRandomLengthString(24);
    const std::string timeText = input.ConsumeRemainingBytesAsString();

    // Parts and values map one to one, in the same order, to the millisecond.
    const TDateTime valueA = EncodeDateTime(a), valueB = EncodeDateTime(b);
    FUZZ_CHECK(Tie(DecodeDateTime(valueA)) == Tie(a));
    FUZZ_CHECK((Tie(a) < Tie(b)) == (valueA < valueB) && (Tie(a) == Tie(b)) == (valueA == valueB));
    // File dates count ticks from 1601 on, a whole day's worth per day, and read back.
    if (a.Year >= 1601) {
        const uint64_t ticks = DateTimeToFileDate(valueA);
        FUZZ_CHECK(ticks % 10'000 == 0);
        FUZZ_CHECK(FileDateToDateTime(ticks) == valueA);
        FUZZ_CHECK(DateTimeToFileDate(valueA + 1) - ticks == kTicksPerDay);
        FUZZ_CHECK((ticks < DateTimeToFileDate(valueB)) == (valueA < valueB));
    }

    // A date written in the format's order reads back as that day; a two-digit year
    // falls in 1980-2079.
    const std::string formatOf(1, order);
    const bool shortYear = a.Year >= 1980 && a.Year <= 2079 && a.Year % 2 == 0;
    FUZZ_CHECK(ParseControlDate(DateText(a, order, separator, shortYear), formatOf, separator) ==
               EncodeDateTime(DateOnly(a)));
    const std::string time = std::to_string(a.Hour) + separator + std::to_string(a.Minute) + separator + std::to_string(a.Second);
    FUZZ_CHECK(ParseControlTime(time, separator) == EncodeDateTime({1899, 12, 30, a.Hour, a.Minute, a.Second}));

    // Any other text: what reads as a date is a whole valid day and reads back the same
    // written anew; what reads as a time lies within one day.
    if (const auto date = ParseControlDate(dateText, format, separator)) {
        FUZZ_CHECK(*date == std::floor(*date));
        const DateTimeParts parts = DecodeDateTime(*date);
        FUZZ_CHECK(parts.Year >= 1 && parts.Year <= 9999);
        const char letter = format.find_first_of("dDmMyY") == std::string::npos
                                ? 'm'
                                : char(std::tolower(static_cast<unsigned char>(format[format.find_first_of("dDmMyY")])));
        FUZZ_CHECK(ParseControlDate(DateText(parts, letter, separator, false), format, separator) == *date);
    }
    if (const auto timeOfDay = ParseControlTime(timeText, separator))
        FUZZ_CHECK(*timeOfDay >= 0 && *timeOfDay < 1);
    FUZZ_CHECK(std::isfinite(ControlDateTime(dateText, timeText, format, separator, separator)));

    // An expiry counts through its whole day and not a moment longer; any other text that
    // counts at all is a day written as YYYY-MM-DD.
    const std::string expires = IsoDateText(valueA);
    FUZZ_CHECK(JudgeExpiry(expires, valueA, true) == ExpiryVerdict::Current);
    FUZZ_CHECK(JudgeExpiry(expires, EncodeDateTime(DateOnly(a)) + 1, true) == ExpiryVerdict::Expired);
    if (JudgeExpiry(dateText, valueB, false) != ExpiryVerdict::Malformed && !dateText.empty())
        FUZZ_CHECK(IsoDateText(*ParseControlDate(dateText, "y", '-')) == dateText);
    return 0;
}
