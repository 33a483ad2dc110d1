// row_layout.cpp: the headings, rows and words of the report, written to standard output.
#include "layout/row_layout.h"

#include <libintl.h>

#include <iostream>

#include "streams/checked_streams.h"

// Looked up once, in this order, before the report starts; rows only read them.
const char* const noText = gettext("NO");
const char* const yesText = gettext("YES");

namespace {

void printRowHead(const char* label) { std::cout << gettext(label) << "\t\t"; }

// No name or value that others can shape may drive the terminal of the person reading it.
void printValue(std::string_view value) {
  if (!standardOutputIsTerminal()) {
    std::cout << value;
    return;
  }
  for (const char c : value) std::cout.put(isControlByte(c) ? '?' : c);
}

}  // namespace

void printHeading(const char* label, std::string_view name, Underline underline) {
  printLineEnd();
  std::cout << gettext(label);
  printValue(name);
  printLineEnd();
  std::cout << "----------------------------------";
  if (underline == Underline::kLabelAndValues) std::cout << "\t\t------------";
  printLineEnd();
}

void printLine(std::string_view text) {
  std::cout << text;
  printLineEnd();
}

void printLineEnd() {
  std::cout.put('\n');
  if (standardOutputIsTerminal()) std::cout.flush();
}

const char* yesNo(bool value) { return value ? yesText : noText; }

void printTextRow(const char* label, std::string_view value, std::string_view suffix) {
  printRowHead(label);
  printValue(value);
  printLine(suffix);
}

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}
