// Patch scripts as text: the marker scan and the copy of the tail.
//
// Scripts are read in binary mode with the C runtime's text-mode rules made
// explicit, so that they behave the same everywhere:
//   - a line ends at a line feed;
//   - a carriage return directly before that line feed is not part of the
//     line, a carriage return anywhere else is;
//   - a Ctrl-Z byte (0x1A) ends the text;
//   - a NUL byte is an ordinary byte of its line.
#ifndef KESHBAT_SCRIPT_TEXT_H
#define KESHBAT_SCRIPT_TEXT_H

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

// The line that splits a two-part script: exactly this, same case, no blanks.
inline constexpr char MarkerLine[] = ":cont";

// The first line of the temporary script, before the tail.
inline constexpr char TempScriptHeader[] = "@echo off";

// Reads the next line into `line`. Returns true when the line ended at a
// line feed, false when it ran to the end of the text; once at the end,
// every further call returns false with an empty line.
bool ReadScriptLine(std::istream& script, std::string& line);

// Reads lines up to and including the first marker line. Returns true when
// one was found, ended by a line feed: a ":cont" on the last line with no
// line feed after it is no marker. `script` is then positioned at the tail.
bool SkipToMarker(std::istream& script);

// Writes the temporary script for the tail that follows the marker:
// "@echo off", then every remaining line, each ended by CR LF as text mode
// writes it. The last line read (the one that reached the end of the text)
// is written too, so a script ending in a line feed gives a final empty
// line. Returns false when `out` failed.
bool WriteTailScript(std::istream& script, std::ostream& out);

// The same, reading the tail `blockSize` bytes at a time; WriteTailScript
// uses TailCopyBlockSize. Tests pick small blocks to reach the block edges.
inline constexpr std::size_t TailCopyBlockSize = 1024 * 1024;
bool WriteTailScriptInBlocks(std::istream& script, std::ostream& out, std::size_t blockSize);

#endif
