// row_layout.h: how every line of the report is laid out: the headings and their underline,
// the rows of a label and a value, and the words that rows share.
//
// A row is its translated label (which carries its own trailing tabs), the separator "\t\t",
// a value, an optional unit, then the newline that ends the line.
#pragma once

#include <string_view>

// Marks a text for the message catalogue; it is translated where it is written.
#define N_(text) text

// Translated once at start-up and never changed afterwards.
extern const char* const noText;   // "NO"
extern const char* const yesText;  // "YES"
const char* yesNo(bool value);

// What a heading underlines: the label column alone, or the label and the values columns.
enum class Underline { kLabel, kLabelAndValues };

// Writes an empty line, then gettext(label) and `name`, which comes from outside, as the
// heading, then its underline.
void printHeading(const char* label, std::string_view name, Underline underline);

// One whole row: gettext(label), the separator, `value`, then `suffix`, the line end. The value
// may come from outside (a configuration file, the kernel), the suffix is the report's own.
void printTextRow(const char* label, std::string_view value, std::string_view suffix = {});

// A byte below 0x20 or DEL: shown as '?' wherever a person may read it. On a terminal the
// report writes every byte of a name or a value that comes from outside so; elsewhere, for
// scripts, the bytes stay as they are.
bool isControlByte(char c);

// Writes `text`, then the line end.
void printLine(std::string_view text);

// Writes the newline that ends a line. On a terminal the line is written out at once; elsewhere
// it waits in the buffer with the lines after it.
void printLineEnd();
