#include "AUpdate.h"

// Cabinets, patches and the restart through the updater program. Until they are built,
// a cabinet stays as downloaded (reported as not extracted), no command runs and the
// application is never restarted.

int TAutoUpdate::ExtractCabinet(const std::string&, const std::string&) { return -1; }

bool TAutoUpdate::RunAndWait(const std::string&) { return false; }

void TAutoUpdate::WriteUpdaterProgram() {}

void TAutoUpdate::WritePatcherProgram() {}

void TAutoUpdate::RestartApplication() {}
