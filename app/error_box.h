// The one way the tool reports a failure: a box owned by the dialog,
// caption "Error", a single OK button and no icon.
#ifndef KESHBAT_ERROR_BOX_H
#define KESHBAT_ERROR_BOX_H

#include <windows.h>

void ShowErrorBox(HWND owner, const char* text);

#endif
