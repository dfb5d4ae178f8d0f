#include "patch/patch_ini_word.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string Separators = "\t\n\v\f\r ";
const char CtrlZ = '\x1a';

std::string FirstWordOf(const std::string& text)
{
    std::istringstream in(text, std::ios::in | std::ios::binary);
    return ReadFirstWord(in);
}

struct WordCase {
    std::string label;
    std::string text;
    std::string word;
};

TEST(ReadFirstWord, TakesTheFirstWordOfTheText)
{
    const std::vector<WordCase> cases = {
        {"empty file", "", ""},
        {"blank file", " \t\r\n\v\f \r\n", ""},
        {"plain line", "\\KeshPatch\r\n", "\\KeshPatch"},
        {"no line end", "\\Hangar", "\\Hangar"},
        {"a blank inside the name ends it", "\\My Patch\r\n", "\\My"},
        {"leading blank lines and blanks", "\r\n\n  \t\r\n \\Hangar rest\n", "\\Hangar"},
        {"only the first line counts", "\\One\n\\Two\n", "\\One"},
        {"Ctrl-Z before the word", "\x1a\\Hangar\n", ""},
        {"Ctrl-Z after blanks", " \r\n\x1a \\Hangar", ""},
        {"Ctrl-Z inside the word", "\\Han\x1agar\n", "\\Han"},
        {"NUL is part of the word", "\\My\0Patch x"s, "\\My\0Patch"s},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FirstWordOf(c.text), c.word);
    }
}

// Every byte value, on its own between two word bytes: the six separators
// split the word, Ctrl-Z ends the text, and any other byte is kept.
TEST(ReadFirstWord, SplitsAtExactlyTheSixSeparatorBytes)
{
    for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        SCOPED_TRACE("byte " + std::to_string(value));
        std::string word = FirstWordOf(std::string("\\a") + byte + "z");
        bool separator = Separators.find(byte) != std::string::npos;
        EXPECT_EQ(IsWordSeparator(static_cast<unsigned char>(value)), separator);
        if (separator || byte == CtrlZ)
            EXPECT_EQ(word, "\\a");
        else
            EXPECT_EQ(word, std::string("\\a") + byte + "z");

        // The same byte before the word: skipped only if it separates.
        word = FirstWordOf(std::string(1, byte) + "\\b c");
        if (separator)
            EXPECT_EQ(word, "\\b");
        else if (byte == CtrlZ)
            EXPECT_EQ(word, "");
        else
            EXPECT_EQ(word, std::string(1, byte) + "\\b");
    }
}

TEST(ReadFirstWord, HasNoLengthLimit)
{
    const std::string word = "\\" + std::string(1 << 20, 'w');
    EXPECT_EQ(FirstWordOf("\r\n  " + word + " tail\r\n"), word);
    EXPECT_EQ(FirstWordOf(word), word);
}

} // namespace
