#pragma once
#include <functional>
#include <string>
#include <string_view>

// news-archive.rtf beside news.rtf: the news log's oldest entries, in batches, oldest first.

// The first archive's name; later ones are "news-archive-2.rtf", "news-archive-3.rtf"...
inline constexpr const wchar_t* kArchiveName = L"news-archive.rtf";

// Asked before each write to the log's files (news.rtf replaced, an archive made, bytes written
// to one): false stops the writing there, as a kill would. Without one every write goes ahead.
using WriteSeam = std::function<bool()>;

inline bool MayWrite(const WriteSeam& seam) { return !seam || seam(); }

// Adds the entries (the rich text of the log's oldest entries, after the log document's head)
// to the end of the newest archive in the folder, in the viewer's colours (InViewerColours),
// reading only the archive's start and its end. An archive whose font or colour table
// differs from the head's, or whose end this program did not write, is left as it is and the
// next one is started, made new (never over a file that is there). Entries that end the
// archive already (the log was not written after them) are not added again, and an archive
// cut short while it was made is made whole. True when the entries are in an archive.
bool ArchiveEntries(const std::wstring& folder, std::string_view head, std::string_view entries,
                    const WriteSeam& seam);
