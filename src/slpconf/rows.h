// rows.h: the five kinds of row of the SLP configuration report, laid out as every report
// row is (layout/row_layout.h).
#pragma once

#include "layout/row_layout.h"

// " sec.", translated once at start-up and never changed afterwards.
extern const char* const secondsText;

// Milliseconds as the library stores them, in seconds: 1500 is 1.5; text that does not start
// with a number (after blanks) is 0. Shown in the stream's default format: 1.5, 2e+06, 0.
double millisecondsToSeconds(const char* milliseconds);

// What the SLP library will act on: yesText or noText, or "" when it has no such property.
// Reference "false" marks a boolean property: YES when the library reads it as true (its value
// begins with t, T, y, Y or 1), NO otherwise. Any other reference is the value that stands for
// nothing configured: NO when the property equals it without regard to ASCII case, YES
// otherwise.
const char* yesNoValue(const char* key, const char* reference);

// Each row looks its property up, and makes its whole value, before it writes anything.
void printYesNoRow(const char* label, const char* key, const char* reference);
void printValueRow(const char* label, const char* key);
void printUnitRow(const char* label, const char* key, const char* unit);
void printMillisecondsRow(const char* label, const char* key);
void printTimeoutListRow(const char* label, const char* key);
