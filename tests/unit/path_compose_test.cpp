#include "patch/path_compose.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// A path buffer holding `text`, with filler after the terminator so that a
// write past it shows.
struct PathBuffer {
    char bytes[PathBufferSize];

    explicit PathBuffer(const std::string& text)
    {
        std::memset(bytes, 'Q', sizeof bytes);
        std::memcpy(bytes, text.c_str(), text.size() + 1);
    }
};

std::string Repeat(char c, std::size_t n)
{
    return std::string(n, c);
}

struct AppendCase {
    std::string label;
    std::string path;
    std::string tail; // may hold a NUL: only what comes before it is appended
    bool fits;
    std::string result;
};

TEST(AppendToPath, AppendsOnlyWhatFitsWithItsTerminator)
{
    const std::vector<AppendCase> cases = {
        {"ordinary", "C:\\Games\\XWA", "\\Hangar", true, "C:\\Games\\XWA\\Hangar"},
        {"trailing backslash kept", "D:\\XvT\\", "\\KeshPatch", true, "D:\\XvT\\\\KeshPatch"},
        {"empty tail", Repeat('a', 259), "", true, Repeat('a', 259)},
        {"259 characters exactly", Repeat('a', 200), Repeat('b', 59), true,
         Repeat('a', 200) + Repeat('b', 59)},
        {"one too many", Repeat('a', 200), Repeat('b', 60), false, Repeat('a', 200)},
        {"full path, one more byte", Repeat('a', 259), "x", false, Repeat('a', 259)},
        {"empty path, tail fills it", "", Repeat('b', 259), true, Repeat('b', 259)},
        {"empty path, tail too long", "", Repeat('b', 260), false, ""},
        {"tail ends at its NUL", "C:\\XWA", "\\My\0Patch"s, true, "C:\\XWA\\My"},
        {"bytes after the NUL do not count", Repeat('a', 250),
         "\\My\0"s + Repeat('x', 40), true, Repeat('a', 250) + "\\My"},
    };
    for (const AppendCase& c : cases) {
        SCOPED_TRACE(c.label);
        PathBuffer buffer(c.path);
        PathBuffer before = buffer;
        std::string tail = c.tail; // c_str() gives the NUL-terminated view
        EXPECT_EQ(AppendToPath(buffer.bytes, tail.c_str()), c.fits);
        EXPECT_EQ(std::string(buffer.bytes), c.result);
        if (!c.fits) {
            EXPECT_EQ(std::memcmp(buffer.bytes, before.bytes, PathBufferSize), 0)
                << "the buffer changed on failure";
        }
    }
}

struct PatternCase {
    std::string label;
    std::string folder;
    bool fits;
    std::string pattern;
};

TEST(ComposeSearchPattern, AddsTheBatPatternOrLeavesAnEmptyString)
{
    const std::vector<PatternCase> cases = {
        {"ordinary", "C:\\Games\\XWA\\Hangar", true, "C:\\Games\\XWA\\Hangar\\*.bat"},
        {"empty folder", "", true, "\\*.bat"},
        {"259 characters exactly", Repeat('f', 253), true, Repeat('f', 253) + "\\*.bat"},
        {"one too many", Repeat('f', 254), false, ""},
        {"folder alone fills the buffer", Repeat('f', 259), false, ""},
        {"folder longer than any buffer", Repeat('f', 400), false, ""},
    };
    for (const PatternCase& c : cases) {
        SCOPED_TRACE(c.label);
        PathBuffer pattern(Repeat('P', 259));
        EXPECT_EQ(ComposeSearchPattern(pattern.bytes, c.folder.c_str()), c.fits);
        EXPECT_EQ(std::string(pattern.bytes), c.pattern);
    }
}

} // namespace
