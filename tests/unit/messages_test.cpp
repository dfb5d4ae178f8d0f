#include "app/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitAtLineFeeds(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The patch authors' wording, typos included: users compare it with what
// older tools showed them.
TEST(DisclaimerText, IsTheTwelveLinesOfThePatchAuthors)
{
    const std::string rule(54, '=');
    const std::vector<std::string> expected = {
        rule,
        " WARNING: This Patch will modify your TIE/XVT/BOP/XWA files.",
        " " + rule,
        " The Kesh, Dorv, Mirl or Creator of this patch take no",
        " responsibility for any damage incured to your systems",
        " or data. You agree that any and all responsibilty for",
        " any damages incurred is your own. This patch is not",
        " created, distrubuted or supported in any way by Lucas",
        " Arts Entertainment Company. Use at your own risk.",
        " " + rule,
        "",
        " Click 'Yes' if you have read and agree with the above disclaimer",
    };
    const std::string text = DisclaimerText;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(SplitAtLineFeeds(text), expected);
}

} // namespace
