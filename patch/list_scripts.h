// Fills the script list with the .bat files of a folder.
#ifndef KESHBAT_LIST_SCRIPTS_H
#define KESHBAT_LIST_SCRIPTS_H

#include <windows.h>

// Empties `list`, then adds the bare name of every entry of `folder` that
// matches "*.bat"; the list box keeps them sorted. `dialog` owns the error
// box shown when nothing matches or the folder does not exist.
void ListScripts(HWND dialog, HWND list, const char* folder);

#endif
