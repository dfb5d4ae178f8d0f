// The working directory the program was started in. A Run leaves the
// working directory at the patch folder, so whatever is meant relative to
// where the user started the tool is resolved against this folder instead.
#ifndef KESHBAT_STARTUP_FOLDER_H
#define KESHBAT_STARTUP_FOLDER_H

#include <string>

#include "patch/path_compose.h"

// Called once, first thing, by the program entry.
void RememberStartupFolder();

// `name` (a bare file name) in the start-up folder.
std::string InStartupFolder(const char* name);

// Makes a relative `path` absolute against the start-up folder; an
// absolute one ("C:\..." or "\\server\...") is left exactly as it is.
// Returns false when the result would not fit.
bool ResolveFromStartupFolder(char (&path)[PathBufferSize]);

#endif
