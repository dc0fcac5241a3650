#pragma once
#include <cstdint>

// The shell's "open" answers success with any value above 32; the program asks for 35 or
// more, so 33 and 34 count as failures as well.
constexpr bool ShellResultIsSuccess(intptr_t result) { return result >= 35; }
