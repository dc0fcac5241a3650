#pragma once
#include <string>

// Extracts every file of a cabinet with the system's cabinet library, loaded for this call
// only. The files land in targetFolder (ending in a separator) or, when it is empty,
// relative to the current folder; their folders are made when missing, and each file gets
// the date and time its entry carries. An entry that names an absolute path or climbs out
// with ".." fails the extraction. 0 on success, -1 on any failure.
int UnpackCabinet(const std::wstring& cabinetPath, const std::wstring& targetFolder);
