#include <cstdio>

#include "UpdateStatus.h"

std::string StatusLogLine(TDateTime now, char dateSeparator, char timeSeparator, int id, std::string_view message,
                          int statuscode, int errcode)
{
    DateTimeParts t = DecodeDateTime(now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d%c%02d%c%04d %02d%c%02d%c%02d", t.Day, dateSeparator, t.Month,
                  dateSeparator, t.Year, t.Hour, timeSeparator, t.Minute, timeSeparator, t.Second);
    return std::string(stamp) + " : [" + std::to_string(id) + "] " + std::string(message) +
           " (Status:" + std::to_string(statuscode) + ") (Error:" + std::to_string(errcode) + ")";
}
