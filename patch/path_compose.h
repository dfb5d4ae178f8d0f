// Bounded composition of paths in the fixed 260-byte buffers the tool uses.
#ifndef KESHBAT_PATH_COMPOSE_H
#define KESHBAT_PATH_COMPOSE_H

#include <cstddef>

// MAX_PATH, without pulling in <windows.h>: the size of every path buffer.
inline constexpr std::size_t PathBufferSize = 260;

// What ListScripts appends to the folder to find its scripts.
inline constexpr char ScriptPattern[] = "\\*.bat";

// Appends the NUL-terminated `tail` to the NUL-terminated path in `path`.
// Returns false, and leaves `path` as it was, when the result with its
// terminator would not fit in PathBufferSize bytes.
bool AppendToPath(char (&path)[PathBufferSize], const char* tail);

// Builds `folder` + "\*.bat" in `pattern`. Returns false, with `pattern`
// an empty string, when it would not fit.
bool ComposeSearchPattern(char (&pattern)[PathBufferSize], const char* folder);

#endif
