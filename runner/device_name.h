// Script names that Windows takes for devices.
#ifndef KESHBAT_DEVICE_NAME_H
#define KESHBAT_DEVICE_NAME_H

#include <string>

// True when opening `name` would open a device instead of a file: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ and CONOUT$, in any
// case and whatever extension follows ("com1.bat" is the serial port).
// Such a file can only come from outside Windows, and reading the device
// may block for good, so it is never opened as a script.
bool IsDeviceName(const std::string& name);

#endif
