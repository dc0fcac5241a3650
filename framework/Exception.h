#pragma once
#include <stdexcept>
#include <string>

// The one error type of the program: a failure carrying its user-visible message (UTF-8).
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
