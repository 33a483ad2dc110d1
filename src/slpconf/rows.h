// rows.h: the five kinds of row of the SLP configuration report, laid out as every report
// row is (report/output.h).
#pragma once

#include "report/output.h"

// Milliseconds as the library stores them, in seconds: 1500 is 1.5; text that does not start
// with a number (after blanks) is 0.
double millisecondsToSeconds(const char* milliseconds);

// YES when the property differs from `reference` (strcmp), NO when equal; then the line end.
void printYesNoValue(const char* key, const char* reference);

void printYesNoRow(const char* label, const char* key, const char* reference);
void printValueRow(const char* label, const char* key);
void printUnitRow(const char* label, const char* key, const char* unit);
void printMillisecondsRow(const char* label, const char* key);
void printTimeoutListRow(const char* label, const char* key);
