#include "runner/script_text.h"

#include <cstring>
#include <memory>
#include <streambuf>

namespace {

const int CtrlZ = 0x1A;
const int EndOfData = std::char_traits<char>::eof();

// Copies [from, end) to `to`, which has room for twice as many bytes,
// writing each line feed as CR LF unless a CR already stands before it.
// `before` is the byte that preceded `from` in the text. Returns the
// number of bytes written.
std::size_t LineFeedsToCrLf(const char* from, const char* end, char before, char* to)
{
    char* const start = to;
    while (from < end) {
        const void* found = std::memchr(from, '\n', static_cast<std::size_t>(end - from));
        const char* lineEnd = found ? static_cast<const char*>(found) : end;
        std::memcpy(to, from, static_cast<std::size_t>(lineEnd - from));
        to += lineEnd - from;
        if (lineEnd > from)
            before = lineEnd[-1];
        if (lineEnd == end)
            break;
        if (before != '\r')
            *to++ = '\r';
        *to++ = '\n';
        before = '\n';
        from = lineEnd + 1;
    }
    return static_cast<std::size_t>(to - start);
}

} // namespace

bool ReadScriptLine(std::istream& script, std::string& line)
{
    line.clear();
    std::streambuf* in = script.rdbuf();
    if (in == nullptr)
        return false;

    // Ctrl-Z is looked at, never taken, so the end stays the end.
    for (int c = in->sgetc(); c != EndOfData && c != CtrlZ; c = in->sgetc()) {
        in->sbumpc();
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
    return false;
}

bool SkipToMarker(std::istream& script)
{
    std::string line;
    bool endedAtLineFeed;
    do {
        endedAtLineFeed = ReadScriptLine(script, line);
    } while (line != MarkerLine && endedAtLineFeed);
    return endedAtLineFeed;
}

bool WriteTailScriptInBlocks(std::istream& script, std::ostream& out, std::size_t blockSize)
{
    out << TempScriptHeader << "\r\n";

    // Line by line, the tail comes out as its text with every line feed
    // written as CR LF (a CR already before it is the CR of that pair),
    // then one more CR LF for the line that reached the end. A tail may be
    // hundreds of megabytes, so it is copied in blocks with that rule
    // applied, not a line at a time; the bytes written are the same. Most
    // scripts already end their lines with CR LF: a block without a bare
    // line feed is written as it was read, without the conversion copy.
    std::streambuf* in = script.rdbuf();
    // One byte more in front, for the byte before the block.
    std::unique_ptr<char[]> block(new char[blockSize + 1]);
    std::unique_ptr<char[]> converted(new char[2 * blockSize]);
    char* const data = block.get() + 1;
    char previous = '\0';
    bool atEnd = (in == nullptr);
    while (!atEnd && out) {
        std::streamsize got = in->sgetn(data, static_cast<std::streamsize>(blockSize));
        if (got <= 0)
            break;
        const char* end = data + got;
        if (const void* ctrlZ = std::memchr(data, CtrlZ, static_cast<std::size_t>(got))) {
            end = static_cast<const char*>(ctrlZ);
            atEnd = true;
        }
        // block[i] is the byte before data[i]. A plain loop, which the
        // compiler turns into vector compares.
        block[0] = previous;
        const std::size_t length = static_cast<std::size_t>(end - data);
        unsigned char bareLineFeed = 0;
        for (std::size_t i = 0; i < length; ++i)
            bareLineFeed |= (data[i] == '\n') & (block[i] != '\r');
        if (bareLineFeed == 0)
            out.write(data, static_cast<std::streamsize>(length));
        else
            out.write(converted.get(), static_cast<std::streamsize>(
                LineFeedsToCrLf(data, end, previous, converted.get())));
        if (length > 0)
            previous = end[-1];
    }
    out << "\r\n";
    return static_cast<bool>(out);
}

bool WriteTailScript(std::istream& script, std::ostream& out)
{
    // Large blocks keep the copy of a huge tail close to a plain file copy.
    return WriteTailScriptInBlocks(script, out, TailCopyBlockSize);
}
