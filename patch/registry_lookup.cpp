#include "patch/registry_lookup.h"

#include <windows.h>

#include <cstring>

#include "patch/registry_value.h"

namespace {

// The games' installers are 32-bit programs, so on 64-bit Windows their
// keys live in the 32-bit view of the registry. That view is tried first;
// the default view second, for keys written by other means. For a 32-bit
// build on 32-bit Windows both are the same view.
bool OpenGameKey(const char* subKey, HKEY* key)
{
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | KEY_WOW64_32KEY, key) == ERROR_SUCCESS)
        return true;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, key) == ERROR_SUCCESS;
}

} // namespace

FolderLookup LookupInstallFolder(const GameEntry& game, char (&folder)[PathBufferSize])
{
    std::memset(folder, 0, sizeof folder);

    HKEY key;
    if (!OpenGameKey(game.registryKey, &key))
        return FolderMissing;

    DWORD size = sizeof folder;
    LONG status = RegQueryValueExA(key, "Install Path", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);

    if (status != ERROR_SUCCESS || !TerminateInstallPath(folder, size)) {
        folder[0] = '\0';
        return FolderMissing;
    }
    if (!AppendToPath(folder, game.suffix)) {
        folder[0] = '\0';
        return FolderTooLong;
    }
    return FolderFound;
}
