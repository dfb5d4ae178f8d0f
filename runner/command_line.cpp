#include "runner/command_line.h"

bool QuoteScriptCommand(const std::string& name, std::string& command)
{
    command.clear();
    if (name.empty() || name.find_first_of("%\"") != std::string::npos)
        return false;
    command = "\"\"" + name + "\"\"";
    return true;
}
