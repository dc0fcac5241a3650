#pragma once
#include <cstdint>
#include <string>

#include "NewItems.h"

// The local calendar of the news log's titles; days are counted from 1 January 1601.
LocalTime LocalNow();

// The day in the user's short date format, as UTF-8.
std::string ShortDate(int64_t day);
