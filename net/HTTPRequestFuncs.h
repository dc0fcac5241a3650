#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AsciiCase.h"
#include "Base64.h"
#include "Gzip.h"

// String and stream routines of the HTTP request component; no platform calls.

inline constexpr std::string_view MultipartContentType =
    "multipart/form-data; boundary=-----------------------------7cf87224d2020a";
inline constexpr std::string_view FormContentType = "application/x-www-form-urlencoded";

using FormPair = std::pair<std::string, std::string>;

// The text up to its first zero byte: what a C string of it would carry.
std::string CutAtZero(std::string text);

bool ContainsNoCase(std::string_view text, std::string_view part);

// Appends an extra query: "&" when the target has a query already, else "?".
std::string AppendQuery(std::string target, std::string_view extra);

// Parts before each separator; a trailing separator adds no empty part.
std::vector<std::string> SplitAt(std::string_view text, char separator);

// The address's query without its "?", joined by "&" with the posted form data.
std::string FormBody(std::string_view extraInfo, std::string_view postStr);

// Name/value pairs of a URL-encoded body, values left encoded. Raises on a pair
// that is not exactly name=value.
std::vector<FormPair> FormPairs(std::string_view formBody);

// Multipart form body of the pairs (8-bit values), ending at its first zero byte.
// Raises when there are no pairs.
std::string MultipartBody(const std::vector<FormPair>& variables);

// The value of the first "name: value" line of that name (any case), without the blanks
// around it; empty when there is none. The status line is no header.
std::string HeaderValue(const std::vector<std::string>& headerLines, std::string_view name);
