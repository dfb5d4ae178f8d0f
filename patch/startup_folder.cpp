#include "patch/startup_folder.h"

#include <windows.h>

#include <cctype>
#include <cstring>

namespace {

std::string StartupFolder;

bool IsAbsolute(const char* path)
{
    bool drive = std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
    bool unc = path[0] == '\\' && path[1] == '\\';
    return drive || unc;
}

} // namespace

void RememberStartupFolder()
{
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return;
    std::string folder(needed, '\0');
    DWORD length = GetCurrentDirectoryA(needed, &folder[0]);
    if (length == 0 || length >= needed)
        return;
    folder.resize(length);
    StartupFolder = folder;
}

std::string InStartupFolder(const char* name)
{
    std::string path = StartupFolder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + name;
}

bool ResolveFromStartupFolder(char (&path)[PathBufferSize])
{
    if (IsAbsolute(path) || StartupFolder.empty())
        return true;

    // GetFullPathNameA resolves against the working directory, which a Run
    // may have moved: stand in the start-up folder for the call. There is
    // one thread, so nothing else sees the brief change.
    char current[PathBufferSize];
    DWORD currentLength = GetCurrentDirectoryA(sizeof current, current);
    bool moved = currentLength > 0 && currentLength < sizeof current &&
                 SetCurrentDirectoryA(StartupFolder.c_str());

    char full[PathBufferSize];
    DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (moved)
        SetCurrentDirectoryA(current);

    if (length == 0 || length >= sizeof full)
        return false;
    std::memcpy(path, full, length + 1);
    return true;
}
