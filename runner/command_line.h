// The command handed to the command interpreter for a direct run.
#ifndef KESHBAT_COMMAND_LINE_H
#define KESHBAT_COMMAND_LINE_H

#include <string>

// Builds, in `command`, the command that makes the interpreter run exactly
// the script file `name` and nothing else. The interpreter is started as
// `cmd /c <command>`, and it strips the first and the last quote of what
// follows /c whenever more than two quotes are present, so the name is
// wrapped in doubled quotes: ""my patch.bat"" reaches it as "my patch.bat",
// in which spaces, &, (, ), ^ and the like are plain characters.
// Returns false for a name that no quoting makes safe: one with '%', which
// the interpreter expands even inside quotes, or with a quote of its own.
bool QuoteScriptCommand(const std::string& name, std::string& command);

#endif
