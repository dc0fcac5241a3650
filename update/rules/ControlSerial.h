#pragma once
#include <optional>
#include <string>
#include <string_view>

// The serial a signed control file carries ([update] serial=N), against the highest serial
// this user has carried out: an earlier signed file served again must not count as news.

enum class SerialVerdict { Refused, NothingNew, Fresh };

// A whole number of decimal digits, nothing else; nothing for any other text.
std::optional<unsigned long long> ParseSerial(std::string_view text);

// The serial a control file must reach: the higher of the stored one and the floor the build
// carries (the serial of the control file published with it), so that neither a first start
// nor a lost stored value lets an older signed file count as news.
struct SerialBar {
    unsigned long long Serial = 0;
    // A stored value that is not a serial; it counts as absent.
    bool StoredUnreadable = false;
};
SerialBar SerialToReach(const std::optional<std::string>& stored, unsigned long long floor);

// Without a serial, or with one below the bar: refused; at the bar: nothing new; above: fresh.
// A serial pending (its files waiting for the updater) is a bar for older ones too: one below
// it is refused, so that it cannot take the waiting files' place; itself, it is fresh (tried
// again), and a higher one supersedes it.
SerialVerdict JudgeSerial(std::optional<unsigned long long> serial, unsigned long long bar,
                          std::optional<unsigned long long> pending);
