// patch.ini: the name of the patch folder inside a game's installation.
#ifndef KESHBAT_PATCH_INI_H
#define KESHBAT_PATCH_INI_H

#include <string>

// Remembers the working directory the program was started in. patch.ini
// is always read from there: a Run changes the working directory to the
// patch folder, and reading patch.ini from wherever that left us would
// silently switch the next game press to another folder.
void RememberStartupFolder();

// The first word of patch.ini in the start-up folder, "\KeshPatch" when
// the file cannot be opened, or an empty string when it holds no word.
std::string ReadPatchFolderName();

#endif
