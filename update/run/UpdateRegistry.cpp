#include "AUpdate.h"

#include <cmath>
#include <ctime>

#include "CheckTime.h"
#include "ControlDate.h"
#include "SystemDate.h"

// The entries the component keeps in the registry, through the edge; on UpdateState.

namespace {

const double kControlDateStartValue = EncodeDateTime(kControlDateStart);

} // namespace

std::string TAutoUpdate::ControlFileURL() { return ExpandPrefixes(ReadLastURL().empty() ? URL : ReadLastURL()); }

std::string TAutoUpdate::RegistryPath() const { return LastURLEntry.Key + "\\" + LastURLEntry.Section; }

std::string TAutoUpdate::ReadLastURL()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return {};
    UpdateEdge& edge = edge_;
    return edge.ReadUserEntry(RegistryPath(), "LastURL").value_or("");
}

void TAutoUpdate::StoreLastURL(const std::string& address)
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return;
    UpdateEdge& edge = edge_;
    edge.WriteUserEntry(RegistryPath(), "LastURL", address);
}

std::optional<std::string> TAutoUpdate::LastSerial()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return std::nullopt;
    UpdateEdge& edge = edge_;
    return edge.ReadUserEntry(RegistryPath(), "LastSerial");
}

void TAutoUpdate::StoreSerial()
{
    if (!run_.serial || run_.fileFailed || LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return;
    UpdateEdge& edge = edge_;
    edge.WriteUserEntry(RegistryPath(), "LastSerial", std::to_string(*run_.serial));
}

std::optional<int64_t> TAutoUpdate::LastAnsweredCheck()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return std::nullopt;
    UpdateEdge& edge = edge_;
    const std::optional<std::string> stored = edge.ReadUserEntry(RegistryPath(), "LastCheck");
    return stored ? ParseCheckTime(*stored) : std::nullopt;
}

void TAutoUpdate::StoreAnsweredCheck()
{
    run_.result.Answered = true;
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return;
    UpdateEdge& edge = edge_;
    edge.WriteUserEntry(RegistryPath(), "LastCheck", CheckTimeText(int64_t(std::time(nullptr))));
}

double TAutoUpdate::LastUpdateDate()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return kControlDateStartValue;
    run_.dateFromRegistry = true;
    UpdateEdge& edge = edge_;
    double result = kControlDateStartValue;
    auto date = edge.ReadUserEntry(RegistryPath(), "LastDate");
    auto day = date ? ParseShortDate(*date) : std::nullopt;
    if (!day)
        return result;
    result = *day;
    auto time = edge.ReadUserEntry(RegistryPath(), "LastTime");
    if (auto timeOfDay = time ? ParseTime(*time) : std::nullopt)
        result += *timeOfDay;
    return result;
}

void TAutoUpdate::StoreLastUpdateDate(double dateTime)
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return;
    UpdateEdge& edge = edge_;
    edge.WriteUserEntry(RegistryPath(), "LastDate", ShortDateText(dateTime));
    if (dateTime != std::floor(dateTime))
        edge.WriteUserEntry(RegistryPath(), "LastTime", TimeText(dateTime));
}
