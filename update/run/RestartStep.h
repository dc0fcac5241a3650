#pragma once
#include <string>

// The paths of the components named that exist, quoted for the updater's command line.
std::wstring ExistingComponentPaths(const std::string& appComponents);

// A replacement ("_NEW") equal to one the updater had to undo, because the new program failed
// at once, is not tried again: the application would go round the same failure at every
// start. Such a copy is removed.
bool RepeatsAnUndoneUpdate(const std::wstring& componentPaths);
