#pragma once
#include <string>

// Starts a command line (program and its parameters), shown normally, without waiting for
// it; false when it could not be started.
bool StartCommandLine(const std::string& commandLine);
