// patch.ini: the name of the patch folder inside a game's installation.
#ifndef KESHBAT_PATCH_INI_H
#define KESHBAT_PATCH_INI_H

#include <string>

// The first word of patch.ini, "\KeshPatch" when the file cannot be opened,
// or an empty string when it holds no word. patch.ini is read from the
// start-up folder: a Run makes the patch folder the working directory, and
// reading patch.ini from there would silently switch the next game press
// to another folder.
std::string ReadPatchFolderName();

#endif
