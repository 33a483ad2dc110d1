// rows.h: the rows of the SLP configuration report, and the words that rows share.
//
// A row is its translated label (which carries its own trailing tabs), the separator "\t\t",
// a value, an optional unit, then a newline that flushes standard output.
#pragma once

// Marks a label for the message catalogue; it is translated where it is written.
#define N_(text) text

// Translated once at start-up and never changed afterwards.
extern const char* const noText;       // "NO"
extern const char* const yesText;      // "YES"
extern const char* const secondsText;  // " sec."

// Milliseconds as the library stores them, in seconds: 1500 is 1.5; text that does not start
// with a number (after blanks) is 0.
double millisecondsToSeconds(const char* milliseconds);

// Writes gettext(label), then "\t\t".
void printRowHead(const char* label);

// Writes the newline that ends a row and flushes standard output.
void printLineEnd();

// YES when the property differs from `reference` (strcmp), NO when equal; then the line end.
void printYesNoValue(const char* key, const char* reference);

void printYesNoRow(const char* label, const char* key, const char* reference);
void printValueRow(const char* label, const char* key);
void printUnitRow(const char* label, const char* key, const char* unit);
void printMillisecondsRow(const char* label, const char* key);
void printTimeoutListRow(const char* label, const char* key);
