// timeout_list_fuzzer.cpp: the list splitter and the milliseconds conversion on arbitrary text.
//
// Input: the delimiter byte, then the text. The pieces are never empty, never hold the
// delimiter, and joined with it give the text back without its empty pieces; each piece
// converts to seconds without a fault, and a piece that is a plain count of milliseconds
// converts to that count divided by a thousand.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>
#include <string_view>

#include "general/comma_split.h"
#include "slpconf/rows.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& piece) {
  std::fprintf(stderr, "timeout list: %s (piece '%s')\n", what, piece.c_str());
  std::abort();
}

// The text with every run of delimiters made one and those at either end taken away.
std::string withoutEmptyPieces(std::string_view text, char delimiter) {
  std::string result;
  bool pendingDelimiter = false;
  for (const char c : text) {
    if (c == delimiter) {
      pendingDelimiter = !result.empty();
      continue;
    }
    if (pendingDelimiter) result += delimiter;
    pendingDelimiter = false;
    result += c;
  }
  return result;
}

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void checkSeconds(const std::string& piece) {
  const double seconds = millisecondsToSeconds(piece.c_str());
  // What strtod sees ends at the first NUL, after leading blanks.
  std::string_view text(piece.c_str());
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  const bool mayBeNumber = !text.empty() && std::string_view("0123456789+-.iInN").find(text[0]) !=
                                                std::string_view::npos;
  if (!mayBeNumber && seconds != 0) fail("text without a number is not 0", piece);

  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  const bool plainCount = digits > 0 && digits <= 15 &&
                          (digits == text.size() ||
                           std::string_view(" ,;\t").find(text[digits]) != std::string_view::npos);
  if (!plainCount) return;
  double count = 0;
  for (std::size_t i = 0; i < digits; ++i) count = count * 10 + (text[i] - '0');
  if (std::fabs(seconds * 1000 - count) > count * 1e-12) fail("wrong number of seconds", piece);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char delimiter = static_cast<char>(data[0]);
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::list<std::string> pieces = SplitCommaDelimitedString(text, delimiter);
  std::string joined;
  for (const std::string& piece : pieces) {
    if (piece.empty()) fail("empty piece", piece);
    if (piece.find(delimiter) != std::string::npos) fail("piece holds the delimiter", piece);
    if (!joined.empty()) joined += delimiter;
    joined += piece;
    checkSeconds(piece);
  }
  if (joined != withoutEmptyPieces(text, delimiter))
    fail("pieces do not give the text back", joined);
  checkSeconds(text);
  return 0;
}
