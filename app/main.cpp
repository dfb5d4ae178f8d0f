// Program entry: the main dialog, then the message loop until WM_QUIT.
#include <windows.h>

#include "app/main_dialog.h"
#include "patch/startup_folder.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Instance = instance;
    RememberStartupFolder();

    DialogBoxParamA(instance, "MAIN", nullptr, MainDialogProc, 0);

    // Closing the dialog posted WM_QUIT; drain the queue up to it and exit
    // with its code.
    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
