#pragma once
#include <string>

// The update run's Yes/No question, in a box titled with the application's title; true
// for Yes.
bool Confirmed(const std::string& question);
