#pragma once
#include <string>
#include <string_view>

#include "ControlDate.h"

// How long a signed control file counts: [update] expires=YYYY-MM-DD, to the end of that day
// in UTC. A file served again and again after a newer release must not keep a copy from
// learning of it: once past, it is refused.

enum class ExpiryVerdict { Current, Expired, Missing, Malformed };

// The expiry text as the control file writes it (empty when it has none) against the UTC
// clock. Without an expiry a file is refused only when one is required (a key is built in);
// a malformed or past one is refused always.
ExpiryVerdict JudgeExpiry(std::string_view expires, TDateTime nowUtc, bool required);

// "YYYY-MM-DD" of the value's day.
std::string IsoDateText(TDateTime value);
