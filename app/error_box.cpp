#include "app/error_box.h"

#include "app/messages.h"

void ShowErrorBox(HWND owner, const char* text)
{
    MessageBoxA(owner, text, ErrorCaption, MB_OK);
}
