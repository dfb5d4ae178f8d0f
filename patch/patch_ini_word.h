// The first word of patch.ini, which names the patch folder.
#ifndef KESHBAT_PATCH_INI_WORD_H
#define KESHBAT_PATCH_INI_WORD_H

#include <istream>
#include <string>

// The word used when patch.ini cannot be opened.
inline constexpr char DefaultPatchFolderName[] = "\\KeshPatch";

// True for the bytes that separate words: 0x09 to 0x0D and 0x20.
// Every other byte, 0x80 to 0xFF included, belongs to a word.
bool IsWordSeparator(unsigned char byte);

// Reads the first word of patch.ini from `in`, which must be opened in
// binary mode: the text-mode rule that matters here is applied explicitly,
// so a Ctrl-Z byte (0x1A) ends the text. Leading separators are skipped;
// the word runs to the next separator or the end of the text and has no
// length limit. An empty or blank file gives an empty word.
std::string ReadFirstWord(std::istream& in);

#endif
