#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "MemoryStream.h"

// The one content coding the transport takes apart: a plain gzip member. No platform calls.

// Largest reply body kept in memory, before and after inflation.
inline constexpr size_t MaxReplySize = 16 * 1024 * 1024;

// A gzip member with deflate, no flags and no time stamp: the only kind inflated.
bool HasPlainGzipSignature(std::string_view bytes);

// Inflates one gzip member. Raises "Error" when it does not inflate, or the size error
// when the result would exceed the limit.
void InflateGzip(std::string_view member, TMemoryStream& output, size_t limit = MaxReplySize);

// Error text when a reply body grows past the limit.
std::string ReplyTooLargeMessage(size_t limit = MaxReplySize);
