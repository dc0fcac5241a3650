#include "SystemDate.h"

#include <windows.h>

#include <cctype>
#include <cstdio>

#include "Text.h"

namespace {

std::string LocaleText(LCTYPE type)
{
    wchar_t buffer[128];
    int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, int(std::size(buffer)));
    return length > 0 ? Narrow(std::wstring_view(buffer, size_t(length - 1))) : std::string();
}

// The first character of the format that is neither a letter, a blank nor a quote.
char FormatSeparator(const std::string& format, char fallback)
{
    for (char c : format)
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != ' ' && c != '\'')
            return c;
    return fallback;
}

SYSTEMTIME SystemTimeOf(TDateTime value)
{
    DateTimeParts p = DecodeDateTime(value);
    SYSTEMTIME time{};
    time.wYear = WORD(p.Year);
    time.wMonth = WORD(p.Month);
    time.wDay = WORD(p.Day);
    time.wHour = WORD(p.Hour);
    time.wMinute = WORD(p.Minute);
    time.wSecond = WORD(p.Second);
    time.wMilliseconds = WORD(p.Millisecond);
    return time;
}

} // namespace

TDateTime NowLocal()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return EncodeDateTime(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

TDateTime NowUtc()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return EncodeDateTime(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

char SystemDateSeparator()
{
    return FormatSeparator(LocaleText(LOCALE_SSHORTDATE), '/');
}

char SystemTimeSeparator()
{
    return FormatSeparator(LocaleText(LOCALE_STIMEFORMAT), ':');
}

std::string ShortDateText(TDateTime value)
{
    SYSTEMTIME time = SystemTimeOf(value);
    wchar_t buffer[128];
    int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer,
                                 int(std::size(buffer)), nullptr);
    return length > 0 ? Narrow(std::wstring_view(buffer, size_t(length - 1))) : std::string();
}

std::string TimeText(TDateTime value)
{
    DateTimeParts p = DecodeDateTime(value);
    char separator = SystemTimeSeparator();
    char text[32];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", p.Hour, separator, p.Minute, separator, p.Second);
    return text;
}

std::optional<TDateTime> ParseShortDate(std::string_view text)
{
    std::string format = LocaleText(LOCALE_SSHORTDATE);
    return ParseControlDate(text, format, FormatSeparator(format, '/'));
}

std::optional<TDateTime> ParseTime(std::string_view text)
{
    return ParseControlTime(text, SystemTimeSeparator());
}
