#include "patch/select_game.h"

#include <cstring>
#include <string>

#include "app/error_box.h"
#include "app/main_dialog.h"
#include "app/messages.h"
#include "patch/list_scripts.h"
#include "patch/patch_ini.h"
#include "patch/registry_lookup.h"
#include "patch/startup_folder.h"

char PatchFolder[PathBufferSize];

void SelectGame(HWND dialog, const GameEntry& game)
{
    // Every press replaces the folder, also when it fails: Run must never
    // act on the previous game's folder.
    PatchFolder[0] = '\0';

    char folder[PathBufferSize];
    FolderLookup lookup = LookupInstallFolder(game, folder);
    if (lookup == FolderMissing) {
        // The list keeps what it showed; Run refuses to act without a folder.
        ShowErrorBox(dialog, MsgRegistryProblem);
        return;
    }

    // The word is appended as it stands: patch.ini is expected to give it
    // its leading backslash. A relative install path is taken from where
    // the tool was started, not from wherever the last Run left us. The
    // folder must leave room for the search pattern too, or ListScripts
    // could not look inside it.
    std::string word = ReadPatchFolderName();
    char pattern[PathBufferSize];
    if (lookup == FolderTooLong || !AppendToPath(folder, word.c_str()) ||
        !ResolveFromStartupFolder(folder) || !ComposeSearchPattern(pattern, folder)) {
        SendMessageA(ScriptList, LB_RESETCONTENT, 0, 0);
        ShowErrorBox(dialog, MsgPathTooLong);
        return;
    }

    std::memcpy(PatchFolder, folder, sizeof PatchFolder);
    ListScripts(dialog, ScriptList, PatchFolder);
}
