#include "patch/registry_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct ValueCase {
    std::string label;
    std::string bytes;  // what the query copied into the zeroed buffer
    unsigned long size; // what the query reported
    bool accepted;
    std::string path;
};

TEST(TerminateInstallPath, AcceptsOnlyANonEmptyPathThatEndsInTheBuffer)
{
    const std::string full(PathBufferSize, 'a');
    const std::vector<ValueCase> cases = {
        {"string with its NUL", "C:\\XWA\0"s, 7, true, "C:\\XWA"},
        {"no NUL, room left", "C:\\XWA", 6, true, "C:\\XWA"},
        {"no NUL, 259 bytes", full.substr(1), 259, true, full.substr(1)},
        {"259 bytes and the NUL", full.substr(1) + '\0', 260, true, full.substr(1)},
        {"260 bytes, no NUL", full, 260, false, ""},
        {"NUL in the middle", "C:\\A\0junk"s, 9, true, "C:\\A"},
        {"NUL first", "\0C:\\A"s, 5, false, ""},
        {"empty string", "\0"s, 1, false, ""},
        {"nothing at all", "", 0, false, ""},
        {"size beyond the buffer", "C:\\XWA\0"s, 261, false, ""},
        {"size far beyond the buffer", "C:\\XWA\0"s, 100000, false, ""},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.label);
        char value[PathBufferSize] = {};
        std::memcpy(value, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(TerminateInstallPath(value, c.size), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(std::string(value), c.path);
        }
    }
}

} // namespace
