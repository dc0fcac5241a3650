#pragma once
#include <string>

// Whether a new file would take the place of a newer or equal one: an update must never put
// an older program back, whoever serves it.
enum class VersionOrder { Unknown, Lower, Equal, Higher };

// The file version of candidate against that of installed; Unknown when either has no
// version resource (or installed does not exist).
VersionOrder CompareFileVersions(const std::wstring& candidate, const std::wstring& installed);
