#include "patch/patch_ini.h"

#include <fstream>

#include "patch/patch_ini_word.h"
#include "patch/startup_folder.h"

std::string ReadPatchFolderName()
{
    // Binary mode: ReadFirstWord applies the one text-mode rule that
    // matters for a word (Ctrl-Z ends the text) itself.
    std::ifstream file(InStartupFolder("patch.ini").c_str(), std::ios::in | std::ios::binary);
    if (!file.is_open())
        return DefaultPatchFolderName;
    return ReadFirstWord(file);
}
