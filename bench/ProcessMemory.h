#pragma once
#include <windows.h>

#include <string>

// Private memory of the process running that program file, in MiB: under Wine the private
// dirty memory of its Linux process (found by its program path among the processes of
// /proc), elsewhere its private bytes.
double PrivateMiB(const std::wstring& program, HANDLE process);
// Resident memory (the working set) of the process running that program file, in MiB: under
// Wine the resident memory of its Linux process, elsewhere its working set.
double ResidentMiB(const std::wstring& program, HANDLE process);
// Peak resident memory of the process running that program file, in MiB: under Wine the
// high-water mark of its Linux process, elsewhere its peak working set.
double PeakResidentMiB(const std::wstring& program, HANDLE process);
// The calling process's own private memory (its commit charge), in MiB.
double OwnPrivateMiB();
