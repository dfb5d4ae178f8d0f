#include "patch/path_compose.h"

#include <cstring>

bool AppendToPath(char (&path)[PathBufferSize], const char* tail)
{
    // `path` may itself be unterminated only through a bug elsewhere;
    // strnlen keeps even that case inside the buffer.
    std::size_t used = strnlen(path, PathBufferSize);
    std::size_t extra = std::strlen(tail);
    if (used >= PathBufferSize || extra >= PathBufferSize - used)
        return false;
    std::memcpy(path + used, tail, extra + 1);
    return true;
}

bool ComposeSearchPattern(char (&pattern)[PathBufferSize], const char* folder)
{
    pattern[0] = '\0';
    if (std::strlen(folder) >= PathBufferSize)
        return false;
    std::strcpy(pattern, folder);
    if (!AppendToPath(pattern, ScriptPattern)) {
        pattern[0] = '\0';
        return false;
    }
    return true;
}
