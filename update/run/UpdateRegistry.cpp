#include "AUpdate.h"

#include <cmath>

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

double TAutoUpdate::LastUpdateDate()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return kControlDateStartValue;
    dateFromRegistry_ = true;
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
