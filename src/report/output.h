// output.h: what every section of the report writes with: the row layout, the words that
// rows share, and the standard streams themselves.
//
// A row is its translated label (which carries its own trailing tabs), the separator "\t\t",
// a value, an optional unit, then the newline that ends the line.
#pragma once

// Marks a text for the message catalogue; it is translated where it is written.
#define N_(text) text

// Translated once at start-up and never changed afterwards.
extern const char* const noText;       // "NO"
extern const char* const yesText;      // "YES"
extern const char* const secondsText;  // " sec."

// Writes gettext(label), then "\t\t".
void printRowHead(const char* label);

// Writes the newline that ends a line. On a terminal the line is written out at once; elsewhere
// it waits in the buffer with the lines after it.
void printLineEnd();

// Writes yesText or noText, then the line end.
void printYesNo(bool value);

// Makes std::cout and std::cerr write through buffers of the report's own, before anything is
// written to either:
// - standard output is written a line at a time on a terminal and in whole buffers elsewhere;
//   what it holds is always written before anything goes to standard error, and once more
//   when the process exits. A write that fails ends the run with a line on standard error and
//   kExitSystemError.
// - standard error is written a line at a time. When it cannot be written nothing more can be
//   said, and the run goes on to the status it would have had.
// Both wait for room on a descriptor left non-blocking, and retry an interrupted write.
// From then on, running out of memory ends the run with "Not enough memory" on standard error
// and kExitSystemError, never with an exception.
void useCheckedStandardStreams();
