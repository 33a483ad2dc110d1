// row_layout.cpp: the headings, rows and words of the report, written to standard output.
#include "layout/row_layout.h"

#include <libintl.h>

#include <iostream>

#include "streams/checked_streams.h"
#include "streams/terminal_text.h"

// Looked up once, in this order, before the report starts; rows only read them.
const char* const noText = gettext("NO");
const char* const yesText = gettext("YES");

namespace {

// No name or value that others can shape may drive the terminal of the person reading it.
void appendValue(std::string& text, std::string_view value) {
  if (standardOutputIsTerminal()) {
    text += shownOnTerminal(value);
  } else {
    text += value;
  }
}

// Nor may a name forge a line or a column of the report, wherever it goes.
void appendName(std::string& text, std::string_view name) {
  text += shownAsName(name, standardOutputIsTerminal());
}

}  // namespace

std::string headingText(const char* label, std::string_view name, Underline underline) {
  std::string text;
  appendHeading(text, gettext(label), name, underline);
  return text;
}

std::string rowText(const char* label, std::string_view value, std::string_view ownText) {
  std::string text;
  appendRow(text, gettext(label), value, ownText);
  return text;
}

void appendHeading(std::string& text, const char* translatedLabel, std::string_view name,
                   Underline underline) {
  text += '\n';
  text += translatedLabel;
  appendName(text, name);
  text += "\n----------------------------------";
  if (underline == Underline::kLabelAndValues) text += "\t\t------------";
  text += '\n';
}

void appendRow(std::string& text, const char* translatedLabel, std::string_view value,
               std::string_view ownText) {
  text += translatedLabel;
  text += "\t\t";
  appendValue(text, value);
  text += ownText;
  text += '\n';
}

void printLines(std::string_view lines) { std::cout << lines; }

void printHeading(const char* label, std::string_view name, Underline underline) {
  printLines(headingText(label, name, underline));
}

void printTextRow(const char* label, std::string_view value, std::string_view ownText) {
  printLines(rowText(label, value, ownText));
}

void printLine(std::string_view text) {
  std::cout << text;
  printLineEnd();
}

void printLineEnd() { std::cout << '\n'; }

const char* yesNo(bool value) { return value ? yesText : noText; }
