#include "runner/script_text.h"

#include <streambuf>

namespace {

const int CtrlZ = 0x1A;
const int EndOfData = std::char_traits<char>::eof();

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

bool WriteTailScript(std::istream& script, std::ostream& out)
{
    out << TempScriptHeader << "\r\n";
    std::string line;
    bool more = true;
    while (more && out) {
        more = ReadScriptLine(script, line);
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out << "\r\n";
    }
    return static_cast<bool>(out);
}
