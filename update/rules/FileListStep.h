#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ComponentCalls.h"
#include "ControlDate.h"
#include "PrefixExpansion.h"
#include "StringList.h"
#include "UpdateEdge.h"
#include "UpdateEntries.h"

// The [fileN] section, prefixes expanded; a target folder ends in a separator.
TFileDescription ReadFileEntry(std::string_view controlText, int number, const PrefixExpander& expandPrefixes);

// The entries [files] count names; the count (the list stays empty below 1).
int LoadFileList(std::string_view controlText, TFileList& list, const PrefixExpander& expandPrefixes,
                 UpdateEdge& edge);

// Keeps the entries newer than their local files (by date when both are named, else by
// version, size or checksum) and those the application keeps; -1 when none is left.
int FilterFileList(TFileList& list, const ComponentCalls& calls, UpdateEdge& edge);
