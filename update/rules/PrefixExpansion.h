#pragma once
#include <functional>
#include <string>

// The component's prefix expansion of a value (its handler sees every value).
using PrefixExpander = std::function<std::string(const std::string& value)>;

// Gives the folder text of an upper-case prefix name, empty for a name it does not know.
using PrefixLookup = std::function<std::string(const std::string& upperName)>;

// Replaces every "{NAME}" whose lookup is non-empty by that value, scanning from the left; a
// "{" before the closing "}" belongs to the name. Inserted text is scanned again, so a value
// may name further prefixes, but a name is never expanded inside its own expansion (nor deeper
// than a fixed nesting limit): a value that names itself, directly or through others, stays
// as written there, and every expansion ends.
std::string ExpandPrefixNames(std::string text, const PrefixLookup& prefixValue);

// The form every prefix folder takes: a drive folder without a trailing separator
// ("C:\Windows"), a drive root or a share with "\." appended ("C:\.", "\\host\share\.").
// An empty folder stays empty, so its prefix stays unexpanded.
std::string NormalisedFolder(std::string folder);
