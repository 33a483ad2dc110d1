// rows.cpp: the five kinds of configuration row.
#include "slpconf/rows.h"

#include <slp.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <list>
#include <string>

#include "general/comma_split.h"

namespace {

// Shown with the stream's default floating format: 1.5, 2e+06, 0.
void printSeconds(const char* milliseconds) { std::cout << millisecondsToSeconds(milliseconds); }

}  // namespace

double millisecondsToSeconds(const char* milliseconds) {
  return std::strtod(milliseconds, nullptr) / 1000;
}

// A property the library does not know shows as an empty value: the row head, then the
// line end, with nothing in between.

void printYesNoValue(const char* key, const char* reference) {
  const char* value = SLPGetProperty(key);
  if (value == nullptr) {
    printLineEnd();
    return;
  }
  printYesNo(std::strcmp(value, reference) != 0);
}

void printYesNoRow(const char* label, const char* key, const char* reference) {
  printRowHead(label);
  printYesNoValue(key, reference);
}

void printValueRow(const char* label, const char* key) {
  printRowHead(label);
  const char* value = SLPGetProperty(key);
  if (value != nullptr) std::cout << value;
  printLineEnd();
}

void printUnitRow(const char* label, const char* key, const char* unit) {
  printRowHead(label);
  const char* value = SLPGetProperty(key);
  if (value != nullptr) std::cout << value << unit;
  printLineEnd();
}

void printMillisecondsRow(const char* label, const char* key) {
  printRowHead(label);
  const char* value = SLPGetProperty(key);
  if (value != nullptr) {
    printSeconds(value);
    std::cout << secondsText;
  }
  printLineEnd();
}

void printTimeoutListRow(const char* label, const char* key) {
  printRowHead(label);
  const char* value = SLPGetProperty(key);
  if (value != nullptr) {
    const std::list<std::string> timeouts = SplitCommaDelimitedString(value, ',');
    for (const std::string& timeout : timeouts) {
      printSeconds(timeout.c_str());
      std::cout << ' ';
    }
    std::cout << secondsText;
  }
  printLineEnd();
}
