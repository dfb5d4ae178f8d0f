// Fuzzes the marker scan and the tail copy against a plain reading of the
// script text rules.
#include "runner/script_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Line {
    std::string text;
    bool endedByLineFeed;
};

// Splits `text` into lines byte by byte: a line ends at LF, one CR right
// before that LF is dropped, every other CR stays, Ctrl-Z ends the text.
// The last entry is whatever ran to the end (possibly empty).
std::vector<Line> ReferenceLines(const std::string& text)
{
    std::vector<Line> lines;
    std::string current;
    for (char c : text) {
        if (c == '\x1a')
            break;
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back({current, true});
            current.clear();
        } else {
            current += c;
        }
    }
    lines.push_back({current, false});
    return lines;
}

// "@echo off" and the lines from `first` on, each ended by CR LF.
std::string ReferenceTempScript(const std::vector<Line>& lines, std::size_t first)
{
    std::string out = "@echo off\r\n";
    for (std::size_t i = first; i < lines.size(); ++i)
        out += lines[i].text + "\r\n";
    return out;
}

// The index of the first marker line, or lines.size() for none: exactly
// ":cont", ended by a line feed.
std::size_t ReferenceMarker(const std::vector<Line>& lines)
{
    std::size_t i = 0;
    while (i < lines.size() && !(lines[i].endedByLineFeed && lines[i].text == ":cont"))
        ++i;
    return i;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "script tail: %s\n", what);
    std::abort();
}

std::istringstream InputOf(const std::string& text)
{
    return std::istringstream(text, std::ios::in | std::ios::binary);
}

std::ostringstream Output()
{
    return std::ostringstream(std::ios::out | std::ios::binary);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The script as it comes: marker or not, and the tail after it.
    const std::vector<Line> lines = ReferenceLines(text);
    const std::size_t marker = ReferenceMarker(lines);
    std::istringstream script = InputOf(text);
    const bool found = SkipToMarker(script);
    if (found != (marker < lines.size()))
        Fail(found ? "marker found where there is none" : "marker missed");
    if (found) {
        std::ostringstream tail = Output();
        if (!WriteTailScript(script, tail))
            Fail("tail copy reported a failure");
        if (tail.str() != ReferenceTempScript(lines, marker + 1))
            Fail("tail copy differs from the reference");
    }

    // The whole text copied as a tail. An odd first byte puts 64 KiB less
    // a few bytes of one long line in front, so that the input's own bytes
    // meet the block and buffer edges a real patch script can reach.
    std::string padded = text;
    if (size > 0 && (data[0] & 1) != 0)
        padded.insert(0, std::string(65535 - (data[0] >> 1) % 16, 'p'));
    std::istringstream whole = InputOf(padded);
    std::ostringstream copy = Output();
    if (!WriteTailScript(whole, copy))
        Fail("whole copy reported a failure");
    if (copy.str() != ReferenceTempScript(ReferenceLines(padded), 0))
        Fail("whole copy differs from the reference");
    return 0;
}
