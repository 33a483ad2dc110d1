// row_layout.h: how every line of the report is laid out: the headings and their underline,
// the rows of a label and a value, and the words that rows share.
//
// A row is its translated label (which carries its own trailing tabs), the separator "\t\t",
// a value, an optional unit, then the newline that ends the line.
#pragma once

#include <string>
#include <string_view>

// Marks a text for the message catalogue; it is translated where it is written.
#define N_(text) text

// Translated once at start-up and never changed afterwards.
extern const char* const noText;   // "NO"
extern const char* const yesText;  // "YES"
const char* yesNo(bool value);

// What a heading underlines: the label column alone, or the label and the values columns.
enum class Underline { kLabel, kLabelAndValues };

// The text of a heading: an empty line, then gettext(label) and `name`, then its underline. The
// name comes from outside: its control bytes show as '?' wherever the report goes, and on a
// terminal it shows as shownOnTerminal does.
std::string headingText(const char* label, std::string_view name, Underline underline);

// The text of one whole row: gettext(label), the separator, `value`, then `ownText`, the line
// end. The value may come from outside (a configuration file, the kernel): on a terminal it
// shows as shownOnTerminal does, elsewhere, for scripts, byte for byte. The own text is the
// report's (a unit, the traffic columns) and shows as it is.
std::string rowText(const char* label, std::string_view value, std::string_view ownText = {});

// The same heading and row, appended to `text`, with `label` translated by the caller: a
// section that writes many rows looks each label up once, and builds its lines in one buffer.
void appendHeading(std::string& text, const char* translatedLabel, std::string_view name,
                   Underline underline);
void appendRow(std::string& text, const char* translatedLabel, std::string_view value,
               std::string_view ownText = {});

// Writes `lines`, each ended by its newline.
void printLines(std::string_view lines);

// Writes the heading or the row whole, once it is made.
void printHeading(const char* label, std::string_view name, Underline underline);
void printTextRow(const char* label, std::string_view value, std::string_view ownText = {});

// Writes `text`, then the line end.
void printLine(std::string_view text);

// Writes the newline that ends a line.
void printLineEnd();
