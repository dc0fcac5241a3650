#pragma once
#include <functional>
#include <string>

#include "Exception.h"

// The message of the program's error that the action raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no error)";
}
