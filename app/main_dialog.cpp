#include "app/main_dialog.h"

#include "app/resource.h"
#include "patch/game_table.h"
#include "patch/select_game.h"
#include "runner/run_script.h"

HINSTANCE Instance;
HWND ScriptList;

namespace {

// Fetches the list and gives the window its icon. The list starts empty:
// nothing is looked up until a game button is pressed.
void OnInitDialog(HWND dialog)
{
    ScriptList = GetDlgItem(dialog, IDC_SCRIPT_LIST);
    HICON icon = LoadIconA(Instance, MAKEINTRESOURCEA(IDI_MAIN));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// The title bar's close button, the system menu and Alt+F4 end the program.
void OnClose(HWND dialog)
{
    PostQuitMessage(0);
    EndDialog(dialog, 0);
}

// Only the control ID matters, not the notification: a double-click in the
// list runs nothing, and Escape's IDCANCEL does not close the dialog.
void OnCommand(HWND dialog, int controlId)
{
    if (controlId == IDC_RUN) {
        RunSelectedScript(dialog);
        return;
    }
    if (const GameEntry* game = FindGame(controlId))
        SelectGame(dialog, *game);
}

} // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;  // focus goes to the first control, the TIE Fighter button
    case WM_CLOSE:
        OnClose(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
