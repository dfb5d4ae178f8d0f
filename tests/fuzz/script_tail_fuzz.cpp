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
    std::size_t next; // offset of the byte after the line and its LF
};

// Splits `text` into lines byte by byte: a line ends at LF, one CR right
// before that LF is dropped, every other CR stays, Ctrl-Z ends the text.
// The last entry is whatever ran to the end (possibly empty).
std::vector<Line> ReferenceLines(const std::string& text)
{
    std::vector<Line> lines;
    std::string current;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != '\x1a'; ++i) {
        if (text[i] == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back({current, true, i + 1});
            current.clear();
        } else {
            current += text[i];
        }
    }
    lines.push_back({current, false, i});
    return lines;
}

// "@echo off" and every line of `tail`, each ended by CR LF.
std::string ReferenceTempScript(const std::string& tail)
{
    std::string out = "@echo off\r\n";
    for (const Line& line : ReferenceLines(tail))
        out += line.text + "\r\n";
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

} // namespace

// The tail copy starts where the marker scan stopped, or at the start of
// the text when there is no marker (as if the marker came first). The first
// byte also picks the size of the blocks the tail is copied in, from 1 byte
// up, so that the input's own CRs, LFs and Ctrl-Zs meet the block edges.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<Line> lines = ReferenceLines(text);
    const std::size_t marker = ReferenceMarker(lines);
    const bool hasMarker = marker < lines.size();
    const std::size_t tailStart = hasMarker ? lines[marker].next : 0;
    const std::size_t blockSize = size > 0 ? 1 + data[0] % 64 : TailCopyBlockSize;

    std::istringstream script(text, std::ios::in | std::ios::binary);
    const bool found = SkipToMarker(script);
    if (found != hasMarker)
        Fail(found ? "marker found where there is none" : "marker missed");
    if (!found) {
        script.clear();
        script.str(text);
    }

    std::ostringstream tempScript(std::ios::out | std::ios::binary);
    if (!WriteTailScriptInBlocks(script, tempScript, blockSize))
        Fail("tail copy reported a failure");
    if (tempScript.str() != ReferenceTempScript(text.substr(tailStart)))
        Fail("tail copy differs from the reference");
    return 0;
}
