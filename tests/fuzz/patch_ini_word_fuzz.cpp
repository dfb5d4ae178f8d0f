// Fuzzes ReadFirstWord against a plain reading of the patch.ini rules.
#include "patch/patch_ini_word.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

bool IsBlank(unsigned char byte)
{
    return byte == 0x09 || byte == 0x0A || byte == 0x0B || byte == 0x0C ||
           byte == 0x0D || byte == 0x20;
}

// The first word, read byte by byte: blanks skipped, then every byte up to
// the next blank; Ctrl-Z ends the text wherever it stands.
std::string ReferenceWord(const std::string& text)
{
    std::string word;
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\x1a' && IsBlank(static_cast<unsigned char>(text[i])))
        ++i;
    while (i < text.size() && text[i] != '\x1a' && !IsBlank(static_cast<unsigned char>(text[i])))
        word += text[i++];
    return word;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "patch.ini word: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text, std::ios::in | std::ios::binary);
    const std::string word = ReadFirstWord(in);

    for (char c : word) {
        if (IsBlank(static_cast<unsigned char>(c)))
            Fail("the word holds a blank");
        if (c == '\x1a')
            Fail("the word holds Ctrl-Z");
    }
    if (word != ReferenceWord(text))
        Fail("the word differs from the reference reading");
    return 0;
}
