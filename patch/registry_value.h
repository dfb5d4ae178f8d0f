// Turns the raw bytes of the "Install Path" registry value into a path.
#ifndef KESHBAT_REGISTRY_VALUE_H
#define KESHBAT_REGISTRY_VALUE_H

#include "patch/path_compose.h"

// `value` holds the `size` bytes that the registry query copied into a
// PathBufferSize buffer that was zeroed beforehand. The path is the text up
// to the first NUL. A value stored without a terminator is accepted when it
// left room for one (the zeroed byte after it ends the text); a value that
// fills the whole buffer with no NUL is rejected, as is an empty path,
// which names no installation. On success the buffer holds a terminated,
// non-empty path.
bool TerminateInstallPath(char (&value)[PathBufferSize], unsigned long size);

#endif
