#pragma once
#include <string_view>

// An update found while the program runs is announced; one that asks nothing of the person may
// go ahead by itself while nobody is at the computer.

// Nothing to read, accept or answer (no what's-new or agreement text, no [action] msg, query,
// htmldlg or showURL) and a restart without asking (silentrestart=1).
bool AsksNothingOfThePerson(std::string_view controlText);
