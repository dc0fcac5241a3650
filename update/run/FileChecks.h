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
// The SHA-256 of the file as lower-case hex; nothing when it cannot be opened.
std::optional<std::string> FileSha256(const std::string& path);
// The file version of its version resource; unknown halves without one.
VersionHalves FileVersionOf(const std::string& path);
// The last-write time as local time, like the dates control files carry; nothing when the
// file is missing.
std::optional<TDateTime> FileModifiedTime(const std::string& path);

// Whether a listed file is newer than the local one: always when the entry names nothing to
// compare, or with updateOnly no local file; else by checksum, by size, or by version (both
// texts are then rewritten as the dotted versions compared). With updateOnly, a local file
// that is missing or has no version is not replaced by size or version.
bool IsNewerThanLocalFile(std::string& newVersion, std::string& localFile, int checksum, int size, bool updateOnly,
                          bool useCrc32);
