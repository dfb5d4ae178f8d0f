#include "patch/patch_ini_word.h"

#include <streambuf>

namespace {

// In text mode the C runtime treats Ctrl-Z as the end of the file.
const int CtrlZ = 0x1A;

} // namespace

bool IsWordSeparator(unsigned char byte)
{
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

std::string ReadFirstWord(std::istream& in)
{
    std::string word;
    std::streambuf* buf = in.rdbuf();
    if (buf == nullptr)
        return word;

    int c = buf->sgetc();
    while (c != std::char_traits<char>::eof() && c != CtrlZ &&
           IsWordSeparator(static_cast<unsigned char>(c)))
        c = buf->snextc();

    while (c != std::char_traits<char>::eof() && c != CtrlZ &&
           !IsWordSeparator(static_cast<unsigned char>(c))) {
        word.push_back(static_cast<char>(c));
        c = buf->snextc();
    }
    return word;
}
