#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "ControlDate.h"
#include "VersionRules.h"

// What the update run reads of a local file to decide whether a listed file is newer. Paths
// are UTF-8.

// The byte sum of the file; 0xFFFFFFFF when it cannot be opened.
uint32_t FileByteSum(const std::string& path);
// The CRC variant of the file; 0 when it cannot be opened.
uint32_t FileCRC(const std::string& path);
// The size in bytes; -1 when the file is missing or unreadable.
int64_t FileSizeOf(const std::string& path);
// The file version of its version resource; unknown halves without one.
VersionHalves FileVersionOf(const std::string& path);
// The last-write time as local time, like the dates control files carry; nothing when the
// file is missing.
std::optional<TDateTime> FileModifiedTime(const std::string& path);
