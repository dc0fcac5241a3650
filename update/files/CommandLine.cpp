#include "CommandLine.h"

#include "Processes.h"
#include "Text.h"

bool StartCommandLine(const std::string& commandLine) { return bool(StartCommand(Widen(commandLine))); }
