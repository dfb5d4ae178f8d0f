#include "runner/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct QuoteCase {
    std::string name;
    bool safe;
    std::string command;
};

TEST(QuoteScriptCommand, WrapsSafeNamesInDoubledQuotesAndRefusesTheRest)
{
    const std::vector<QuoteCase> cases = {
        {"patch.bat", true, "\"\"patch.bat\"\""},
        {"my patch.bat", true, "\"\"my patch.bat\"\""},
        {"a&b.bat", true, "\"\"a&b.bat\"\""},
        {"(x.bat", true, "\"\"(x.bat\"\""},
        {"x).bat", true, "\"\"x).bat\"\""},
        {"a^b.bat", true, "\"\"a^b.bat\"\""},
        {"now!.bat", true, "\"\"now!.bat\"\""},
        {"a|b<c>d.bat", true, "\"\"a|b<c>d.bat\"\""},
        {"100%.bat", false, ""},
        {"%PATH%.bat", false, ""},
        {"a\"b.bat", false, ""},
        {"", false, ""},
    };
    for (const QuoteCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string command = "left over";
        EXPECT_EQ(QuoteScriptCommand(c.name, command), c.safe);
        EXPECT_EQ(command, c.command);
    }
}

} // namespace
