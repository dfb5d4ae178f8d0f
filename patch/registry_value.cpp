#include "patch/registry_value.h"

#include <cstring>

bool TerminateInstallPath(char (&value)[PathBufferSize], unsigned long size)
{
    if (size > PathBufferSize)
        return false;
    if (std::memchr(value, '\0', size) == nullptr) {
        if (size == PathBufferSize)
            return false;
        value[size] = '\0';
    }
    return value[0] != '\0';
}
