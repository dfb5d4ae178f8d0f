// What the Run button does: run the selected script from the patch folder.
#ifndef KESHBAT_RUN_SCRIPT_H
#define KESHBAT_RUN_SCRIPT_H

#include <windows.h>

// Runs the script selected in ScriptList through the command interpreter,
// with PatchFolder as the working directory (left so afterwards). A script
// with a marker line runs only its tail, from "__a.bat", and only once the
// user has accepted the disclaimer. `dialog` owns the message boxes.
void RunSelectedScript(HWND dialog);

#endif
