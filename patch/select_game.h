// What a game button does: find the game's patch folder and list its scripts.
#ifndef KESHBAT_SELECT_GAME_H
#define KESHBAT_SELECT_GAME_H

#include <windows.h>

#include "patch/game_table.h"
#include "patch/path_compose.h"

// The patch folder of the last game pressed; an empty string means none
// (no press yet, or the last press failed). A usable folder is never empty,
// since an empty install path is a failed lookup.
extern char PatchFolder[PathBufferSize];

// `dialog` owns any error box.
void SelectGame(HWND dialog, const GameEntry& game);

#endif
