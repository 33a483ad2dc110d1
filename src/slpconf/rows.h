// rows.h: the five kinds of row of the SLP configuration report, laid out as every report
// row is (report/output.h).
#pragma once

#include "report/output.h"

// Milliseconds as the library stores them, in seconds: 1500 is 1.5; text that does not start
// with a number (after blanks) is 0.
double millisecondsToSeconds(const char* milliseconds);

// What the SLP library will act on, as YES or NO, then the line end. Reference "false" marks a
// boolean property: YES when the library reads it as true (its value begins with t, T, y, Y or
// 1), NO otherwise. Any other reference is the value that stands for nothing configured: NO
// when the property equals it without regard to ASCII case, YES otherwise.
void printYesNoValue(const char* key, const char* reference);

void printYesNoRow(const char* label, const char* key, const char* reference);
void printValueRow(const char* label, const char* key);
void printUnitRow(const char* label, const char* key, const char* unit);
void printMillisecondsRow(const char* label, const char* key);
void printTimeoutListRow(const char* label, const char* key);
