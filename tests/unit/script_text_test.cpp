#include "runner/script_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string Header = "@echo off\r\n";
const std::string NoMarker = "(no marker)";

// Scans `script` for the marker and, when there is one, writes the tail,
// read `blockSize` bytes at a time (0: the product's own block size).
// Returns what "__a.bat" would hold, or NoMarker.
std::string TempScriptFor(const std::string& script, std::size_t blockSize = 0)
{
    std::istringstream in(script, std::ios::in | std::ios::binary);
    if (!SkipToMarker(in))
        return NoMarker;
    std::ostringstream out(std::ios::out | std::ios::binary);
    bool written = blockSize == 0 ? WriteTailScript(in, out)
                                  : WriteTailScriptInBlocks(in, out, blockSize);
    if (!written)
        return "(write failed)";
    return out.str();
}

struct ScriptCase {
    std::string label;
    std::string script;
    std::string tempScript; // NoMarker when the script runs whole
};

TEST(ScriptText, FindsTheMarkerAndCopiesTheTail)
{
    const std::vector<ScriptCase> cases = {
        {"LF lines", "echo a\n:cont\necho b\n", Header + "echo b\r\n\r\n"},
        {"CR LF lines", "echo a\r\n:cont\r\necho b\r\necho c", Header + "echo b\r\necho c\r\n"},
        {"lone CR inside a tail line", ":cont\necho a\rb\n", Header + "echo a\rb\r\n\r\n"},
        {"lone CR ending the text", ":cont\necho a\r", Header + "echo a\r\r\n"},
        {"CR CR LF keeps one CR", ":cont\necho a\r\r\nb", Header + "echo a\r\r\nb\r\n"},
        {"Ctrl-Z before the marker", "echo a\n\x1a:cont\necho b\n", NoMarker},
        {"Ctrl-Z ending the line before it", "echo a\x1a\n:cont\necho b\n", NoMarker},
        {"Ctrl-Z right after the marker", ":cont\n\x1a" "echo b\n", Header + "\r\n"},
        {"Ctrl-Z inside the tail", ":cont\necho b\r\nec\x1aho c\n", Header + "echo b\r\nec\r\n"},
        {"Ctrl-Z ending the marker line", ":cont\x1a\necho b\n", NoMarker},
        {"marker last, no LF", "echo a\n:cont", NoMarker},
        {"marker last, CR LF", "echo a\r\n:cont\r\n", Header + "\r\n"},
        {"marker with lone CR, at the end", "echo a\n:cont\r", NoMarker},
        {"marker with lone CR, text after", ":cont\recho b\n", NoMarker},
        {"marker with CR CR LF", ":cont\r\r\necho b\n", NoMarker},
        {"capitals", ":CONT\necho b\n", NoMarker},
        {"blank before", " :cont\necho b\n", NoMarker},
        {"blank after", ":cont \necho b\n", NoMarker},
        {"tab after", ":cont\t\necho b\n", NoMarker},
        {"NUL after", ":cont\0\necho b\n"s, NoMarker},
        {"longer word", ":continue\necho b\n", NoMarker},
        {"first marker counts", "a\n:cont\nb\n:cont\nc\n", Header + "b\r\n:cont\r\nc\r\n\r\n"},
        {"marker on the first line", ":cont\necho b\necho c\n", Header + "echo b\r\necho c\r\n\r\n"},
        {"marker last, LF", "echo a\n:cont\n", Header + "\r\n"},
        {"NUL inside a tail line", ":cont\necho a\0b\n"s, Header + "echo a\0b\r\n\r\n"s},
        {"empty tail lines kept", ":cont\n\n\r\nb\n", Header + "\r\n\r\nb\r\n\r\n"},
        {"empty script", "", NoMarker},
        {"only the marker", ":cont\n", Header + "\r\n"},
        {"no marker at all", "echo a\r\necho b\r\n", NoMarker},
    };
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(TempScriptFor(c.script), c.tempScript);
        // The tail is copied in blocks: tiny ones put every CR, LF and
        // Ctrl-Z of the table at a block edge, and must change nothing.
        for (std::size_t blockSize : {1u, 2u, 3u, 5u}) {
            SCOPED_TRACE("block size " + std::to_string(blockSize));
            EXPECT_EQ(TempScriptFor(c.script, blockSize), c.tempScript);
        }
    }
}

// Long lines put a CR LF pair, a lone CR or a Ctrl-Z at and around the
// sizes a reader's buffers typically have.
TEST(ScriptText, CopiesLongTailLinesWhole)
{
    for (std::size_t length : {4095u, 4096u, 8191u, 65534u, 65535u, 65536u, 65537u, 131071u}) {
        SCOPED_TRACE("line length " + std::to_string(length));
        const std::string a(length, 'a');
        EXPECT_EQ(TempScriptFor(":cont\n" + a + "\r\n" + a + "\rx\n" + a + "\r"),
                  Header + a + "\r\n" + a + "\rx\r\n" + a + "\r\r\n");
        EXPECT_EQ(TempScriptFor(":cont\n" + a + "\r\nb\x1a" "c\r\n"),
                  Header + a + "\r\nb\r\n");
        EXPECT_EQ(TempScriptFor(a + "\r\n:cont\r\n" + a), Header + a + "\r\n");
    }
}

TEST(ReadScriptLine, StaysAtTheEndOnceThere)
{
    std::istringstream in("a\r\nb\x1a" "c\n", std::ios::in | std::ios::binary);
    std::string line;
    EXPECT_TRUE(ReadScriptLine(in, line));
    EXPECT_EQ(line, "a");
    EXPECT_FALSE(ReadScriptLine(in, line));
    EXPECT_EQ(line, "b");
    EXPECT_FALSE(ReadScriptLine(in, line));
    EXPECT_EQ(line, "");
}

// Takes `room` bytes, then refuses every further byte.
class FullDisk : public std::streambuf {
public:
    explicit FullDisk(std::size_t room) : room_(room) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (room_ == 0)
            return traits_type::eof();
        --room_;
        return c;
    }

private:
    std::size_t room_;
};

TEST(WriteTailScript, ReportsAFailedWrite)
{
    const std::string tail = "echo a\r\necho b\n";
    const std::size_t whole = (Header + "echo a\r\necho b\r\n\r\n").size();
    const std::vector<std::pair<std::size_t, bool>> cases = {
        {0, false}, {5, false}, {Header.size() + 3, false}, {whole - 1, false}, {whole, true},
    };
    for (const auto& [room, succeeds] : cases) {
        SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
        std::istringstream in(tail, std::ios::in | std::ios::binary);
        FullDisk disk(room);
        std::ostream out(&disk);
        EXPECT_EQ(WriteTailScript(in, out), succeeds);
    }
}

} // namespace
