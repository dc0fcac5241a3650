#pragma once
#include <cstdint>

// A file time (100-nanosecond ticks since 1 January 1601) as a date-time value: days since
// 30 December 1899 plus the time of day as the fraction, to the millisecond. Zero gives
// 1 January 1601, -109205.
double FileDateToDateTime(uint64_t fileTime);

// The inverse: a date-time value as a file time, to the millisecond; 0 before 1601.
uint64_t DateTimeToFileDate(double dateTime);
