#include "patch/patch_ini.h"

#include <windows.h>

#include <fstream>

#include "patch/patch_ini_word.h"

namespace {

std::string StartupFolder;

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

std::string ReadPatchFolderName()
{
    std::string path = StartupFolder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    path += "patch.ini";

    // Binary mode: ReadFirstWord applies the one text-mode rule that
    // matters for a word (Ctrl-Z ends the text) itself.
    std::ifstream file(path.c_str(), std::ios::in | std::ios::binary);
    if (!file.is_open())
        return DefaultPatchFolderName;
    return ReadFirstWord(file);
}
