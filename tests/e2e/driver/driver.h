// State and helpers shared by the driver's command files.
#ifndef KESHBAT_DRIVER_DRIVER_H
#define KESHBAT_DRIVER_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

using Args = std::vector<std::wstring>;

// The KeshBat dialog found by the last "find", and its process.
extern HWND Dialog;
extern DWORD DialogProcess;

// How long one cross-process SendMessage may take before the driver gives
// up on it, so that a hung dialog never hangs the harness.
inline constexpr UINT SendTimeoutMs = 5000;

// The window's class name, e.g. L"#32770" or L"Button".
std::wstring ClassOf(HWND window);

// The window's text through a wide WM_GETTEXT (also for another process's
// controls, whose text GetWindowText cannot read).
std::wstring TextOf(HWND window);

// The window that has the keyboard focus in `window`'s thread, if any.
HWND FocusedWindow(HWND window);

// Argument `index` as an integer, or `fallback` when it is missing.
long long IntArg(const Args& args, std::size_t index, long long fallback);

// Commands in message_box.cpp and machine.cpp; each sends exactly one reply.
void CmdBox(const Args& args);
void CmdAnswer(const Args& args);
void CmdRegSet(const Args& args);
void CmdRegDelete(const Args& args);
void CmdHold(const Args& args);
void CmdRelease(const Args& args);
void CmdKill(const Args& args);

#endif
