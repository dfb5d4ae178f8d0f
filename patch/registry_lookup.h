// Where a game is installed, as its installer recorded it in the registry.
#ifndef KESHBAT_REGISTRY_LOOKUP_H
#define KESHBAT_REGISTRY_LOOKUP_H

#include "patch/game_table.h"
#include "patch/path_compose.h"

enum FolderLookup {
    FolderFound,    // `folder` holds the installation folder plus the row's suffix
    FolderMissing,  // no usable "Install Path" value
    FolderTooLong,  // the value and the suffix do not fit in PathBufferSize
};

FolderLookup LookupInstallFolder(const GameEntry& game, char (&folder)[PathBufferSize]);

#endif
