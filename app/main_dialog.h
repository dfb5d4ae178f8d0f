// The main dialog: four game buttons, the script list and Run.
#ifndef KESHBAT_MAIN_DIALOG_H
#define KESHBAT_MAIN_DIALOG_H

#include <windows.h>

// The instance the resources are loaded from; set once by WinMain.
extern HINSTANCE Instance;

// The dialog's script list box; set once when the dialog opens.
extern HWND ScriptList;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
