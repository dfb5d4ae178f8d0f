// The least a program can do to show KeshBat's main dialog: the same
// template, and a procedure that only closes it. The start-up and size
// figures of bench/run are measured against this program.
#include <windows.h>

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(instance, "MAIN", nullptr, BareDialogProc, 0);
    return 0;
}
