#include "runner/device_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(IsDeviceName, KnowsTheNamesWindowsKeepsForDevices)
{
    const std::vector<std::string> devices = {
        "con.bat", "CON.BAT", "prn.bat", "Aux.bat", "nul.bat", "com1.bat", "COM9.bat",
        "lpt1.bat", "lpt9.x.bat", "aux", "nul .bat", "conin$.bat", "CONOUT$.bat",
    };
    for (const std::string& name : devices)
        EXPECT_TRUE(IsDeviceName(name)) << name;

    const std::vector<std::string> files = {
        "console.bat", "com.bat", "com0.bat", "com10.bat", "lpt.bat", "auxiliary.bat",
        "xcon.bat", " con.bat", "my nul.bat", "a.con.bat", "patch.bat", "", ".bat",
    };
    for (const std::string& name : files)
        EXPECT_FALSE(IsDeviceName(name)) << name;
}
