// Copies the tail of a two-part script the way Run does before it runs
// "__a.bat": the marker scan, then the tail through a buffered ofstream.
// bench/run times this against cp of the same file.
// Usage: tail_copy SCRIPT OUTPUT
#include <cstdio>
#include <fstream>

#include "runner/script_text.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tail_copy SCRIPT OUTPUT\n");
        return 2;
    }
    std::ifstream script(argv[1], std::ios::in | std::ios::binary);
    if (!script.is_open()) {
        std::fprintf(stderr, "tail_copy: cannot open %s\n", argv[1]);
        return 1;
    }
    if (!SkipToMarker(script)) {
        std::fprintf(stderr, "tail_copy: %s has no marker line\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::out | std::ios::binary | std::ios::trunc);
    if (!WriteTailScript(script, out))
        return 1;
    out.close();
    return out.fail() ? 1 : 0;
}
