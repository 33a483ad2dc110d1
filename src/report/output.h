// output.h: what every section of the report writes with: the row layout, the words that
// rows share, and standard output itself.
//
// A row is its translated label (which carries its own trailing tabs), the separator "\t\t",
// a value, an optional unit, then a newline that flushes standard output.
#pragma once

// Marks a text for the message catalogue; it is translated where it is written.
#define N_(text) text

// Translated once at start-up and never changed afterwards.
extern const char* const noText;       // "NO"
extern const char* const yesText;      // "YES"
extern const char* const secondsText;  // " sec."

// Writes gettext(label), then "\t\t".
void printRowHead(const char* label);

// Writes the newline that ends a line and flushes standard output.
void printLineEnd();

// Writes yesText or noText, then the line end.
void printYesNo(bool value);

// Makes std::cout write to standard output through the report's own buffer: written out at
// each flush (once a line) and when a line outgrows it, and once more when the process exits.
// A write that fails ends the run with a line on standard error and kExitSystemError.
void useCheckedStandardOutput();
