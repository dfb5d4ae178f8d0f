#include "runner/run_script.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/error_box.h"
#include "app/main_dialog.h"
#include "app/messages.h"
#include "patch/select_game.h"
#include "runner/command_line.h"
#include "runner/device_name.h"
#include "runner/script_text.h"

namespace {

const char TempScriptName[] = "__a.bat";

// The selected entry's text, bounded by the 800-byte name buffer.
// Returns false when nothing is selected or the list is empty.
bool ReadSelectedName(char (&name)[800])
{
    LRESULT index = SendMessageA(ScriptList, LB_GETCURSEL, 0, 0);
    LRESULT count = SendMessageA(ScriptList, LB_GETCOUNT, 0, 0);
    if (index == LB_ERR || count <= 0)
        return false;
    LRESULT length = SendMessageA(ScriptList, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= static_cast<LRESULT>(sizeof name))
        return false;
    return SendMessageA(ScriptList, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name)) != LB_ERR;
}

// Runs the whole script, as its own file, with nothing else on the line.
void RunWholeScript(HWND dialog, const char* name)
{
    std::string command;
    if (!QuoteScriptCommand(name, command)) {
        ShowErrorBox(dialog, MsgUnsafeName);
        return;
    }
    std::system(command.c_str());
}

// Writes the tail into a fresh "__a.bat". On any failure nothing of ours
// is left behind, so a stale "__a.bat" from an earlier run is never run.
// A leftover marked read-only is refused as Windows refuses to write it,
// also where the file system would let this process overwrite it and then
// leave it behind, undeletable.
bool WriteTempScript(std::istream& script)
{
    DWORD attributes = GetFileAttributesA(TempScriptName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;

    std::ofstream out(TempScriptName, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        return false;
    bool written = WriteTailScript(script, out);
    out.close();
    if (written && !out.fail())
        return true;
    std::remove(TempScriptName);
    return false;
}

} // namespace

void RunSelectedScript(HWND dialog)
{
    char name[800];
    if (!ReadSelectedName(name)) {
        ShowErrorBox(dialog, MsgNoSelection);
        return;
    }

    // The list still shows the previous game's scripts after a failed
    // lookup; they must not run from some other folder.
    if (PatchFolder[0] == '\0') {
        ShowErrorBox(dialog, MsgRegistryProblem);
        return;
    }
    if (!SetCurrentDirectoryA(PatchFolder)) {
        std::string text = MsgFolderUnreachable;
        text += PatchFolder;
        ShowErrorBox(dialog, text.c_str());
        return;
    }

    // A script that cannot be opened is passed over without a word. A name
    // Windows keeps for a device is one of those: opening it would open the
    // device, and reading a serial port blocks the dialog for good.
    // Binary mode, with the text-mode rules applied by the scan itself; the
    // C runtime opens the file shared for reading and writing, so the
    // interpreter can open the script while it stays open here.
    if (IsDeviceName(name))
        return;
    std::ifstream script(name, std::ios::in | std::ios::binary);
    if (!script.is_open())
        return;

    if (!SkipToMarker(script)) {
        RunWholeScript(dialog, name);
        return;
    }

    if (MessageBoxA(dialog, DisclaimerText, "", MB_YESNO) != IDYES)
        return;
    if (!WriteTempScript(script)) {
        ShowErrorBox(dialog, MsgTempScriptFailed);
        return;
    }
    std::system(TempScriptName);
    std::remove(TempScriptName);
}
