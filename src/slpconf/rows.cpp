// rows.cpp: the five kinds of configuration row.
#include "slpconf/rows.h"

#include <libintl.h>
#include <slp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <list>
#include <sstream>
#include <string>
#include <string_view>

#include "general/comma_split.h"

const char* const secondsText = gettext(" sec.");

namespace {

// How the SLP library reads a boolean property: true exactly when the value begins with one of
// these, so "yes" and "1" are true, and "False", "no", "off", "on" and "" are false.
bool libraryReadsAsTrue(const char* value) {
  return *value != '\0' && std::strchr("tTyY1", *value) != nullptr;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Only A to Z fold: strcasecmp would follow the locale.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

}  // namespace

double millisecondsToSeconds(const char* milliseconds) {
  return std::strtod(milliseconds, nullptr) / 1000;
}

// A property the library does not know shows as an empty value: the row head, then the
// line end, with nothing in between.

const char* yesNoValue(const char* key, const char* reference) {
  const char* value = SLPGetProperty(key);
  if (value == nullptr) return "";
  // Scope names compare without regard to case, and OpenSLP 2.0 spells its own default scope
  // "DEFAULT"; for the empty reference of the DA addresses case makes no difference.
  if (std::strcmp(reference, "false") == 0) return yesNo(libraryReadsAsTrue(value));
  return yesNo(!equalIgnoringAsciiCase(value, reference));
}

void printYesNoRow(const char* label, const char* key, const char* reference) {
  printTextRow(label, yesNoValue(key, reference));
}

void printValueRow(const char* label, const char* key) {
  const char* value = SLPGetProperty(key);
  printTextRow(label, value != nullptr ? value : "");
}

void printUnitRow(const char* label, const char* key, const char* unit) {
  const char* value = SLPGetProperty(key);
  printTextRow(label, value != nullptr ? value : "", value != nullptr ? unit : "");
}

void printMillisecondsRow(const char* label, const char* key) {
  const char* value = SLPGetProperty(key);
  std::ostringstream text;
  if (value != nullptr) {
    text << millisecondsToSeconds(value) << secondsText;
  }
  printTextRow(label, text.str());
}

void printTimeoutListRow(const char* label, const char* key) {
  const char* value = SLPGetProperty(key);
  std::ostringstream text;
  if (value != nullptr) {
    const std::list<std::string> timeouts = SplitCommaDelimitedString(value, ',');
    for (const std::string& timeout : timeouts) {
      text << millisecondsToSeconds(timeout.c_str()) << ' ';
    }
    text << secondsText;
  }
  printTextRow(label, text.str());
}
