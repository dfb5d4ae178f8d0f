#include "patch/list_scripts.h"

#include "app/error_box.h"
#include "app/messages.h"
#include "patch/path_compose.h"

void ListScripts(HWND dialog, HWND list, const char* folder)
{
    SendMessageA(list, LB_RESETCONTENT, 0, 0);

    char pattern[PathBufferSize];
    if (!ComposeSearchPattern(pattern, folder)) {
        ShowErrorBox(dialog, MsgPathTooLong);
        return;
    }

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        ShowErrorBox(dialog, MsgNoBatFiles);
        return;
    }

    // A folder may hold thousands of scripts: draw the list once, at the end.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    do {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
