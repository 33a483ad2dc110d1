// value_checks.cpp: what the SLP library makes of a setting that it will not take as written.
#include "slp/value_checks.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <numeric>

namespace {

// What C's isspace takes as white space, as atoi skips it, in the C locale the library runs in.
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view withoutCSpace(std::string_view text) {
  while (!text.empty() && isCSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isCSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool isWholeNumber(std::string_view piece) {
  const std::string_view digits = withoutCSpace(piece);
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  const std::string_view significant = digits.substr(first);
  constexpr std::string_view kLargest = "2147483647";
  return significant.size() < kLargest.size() ||
         (significant.size() == kLargest.size() && significant <= kLargest);
}

// What atoi gives for `piece`: the C library's own reading, of a copy that ends where the piece
// does.
std::string atoiReading(std::string_view piece) {
  const std::string copy(piece);
  return std::to_string(static_cast<int>(std::strtol(copy.c_str(), nullptr, 10)));
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::optional<Misreading> yesNoMisreading(std::string_view value) {
  constexpr std::string_view kWords[] = {"true", "false", "yes", "no", "1", "0"};
  if (std::any_of(std::begin(kWords), std::end(kWords),
                  [value](std::string_view word) { return equalButForCase(value, word); })) {
    return std::nullopt;
  }
  const bool readsTrue = !value.empty() && std::strchr("tTyY1", value.front()) != nullptr;
  return Misreading{value, readsTrue ? "true" : "false"};
}

std::optional<Misreading> numberListMisreading(std::string_view value) {
  for (;;) {
    const std::size_t comma = value.find(',');
    const std::string_view piece = value.substr(0, comma);
    if (!isWholeNumber(piece)) return Misreading{piece, atoiReading(piece)};
    if (comma == std::string_view::npos) return std::nullopt;
    value.remove_prefix(comma + 1);
  }
}

constexpr std::string_view kPrefix = "net.slp.";

// Which letters a name holds, letter case aside, each byte as one bit of 64: one edit changes at
// most two of them, so names whose sets differ by more than four bits are more than two edits
// apart.
std::uint64_t lettersOf(std::string_view name) {
  return std::accumulate(
      name.begin(), name.end(), std::uint64_t{0}, [](std::uint64_t letters, char c) {
        return letters | std::uint64_t{1} << (static_cast<unsigned char>(asciiLower(c)) & 63u);
      });
}

// Whether at most four bits are set: names whose letter sets differ by more are more than two
// edits apart.
bool fewLettersApart(std::uint64_t letters) {
  for (int i = 0; i < 4; ++i) letters &= letters - 1;
  return letters == 0;
}

// The optimal string alignment distance of `left` and `right`, letter case aside, or 3 for any
// distance over two. Only the cells within two of the table's diagonal can hold less, so only
// they are worked out, and the work stops at the first row without one under three.
int editsApart(std::string_view left, std::string_view right) {
  while (!left.empty() && !right.empty() && asciiLower(left.front()) == asciiLower(right.front())) {
    left.remove_prefix(1);
    right.remove_prefix(1);
  }
  while (!left.empty() && !right.empty() && asciiLower(left.back()) == asciiLower(right.back())) {
    left.remove_suffix(1);
    right.remove_suffix(1);
  }
  constexpr int kFar = 3;
  constexpr std::size_t kLongest = 64;
  const std::size_t n = left.size();
  const std::size_t m = right.size();
  if (n >= kLongest || m >= kLongest || n > m + 2 || m > n + 2) return kFar;
  // Three rows, for a swap of neighbours; beside each row's band, a cell that reads as far.
  std::array<std::array<int, kLongest + 2>, 3> rows;
  for (std::size_t j = 0; j <= std::min(m, std::size_t{2}); ++j) rows[0][j] = static_cast<int>(j);
  rows[0][3] = kFar;
  for (std::size_t i = 1; i <= n; ++i) {
    auto& row = rows[i % 3];
    const auto& above = rows[(i - 1) % 3];
    const std::size_t from = i > 2 ? i - 2 : 1;
    const std::size_t to = std::min(m, i + 2);
    row[from - 1] = i <= 2 ? static_cast<int>(i) : kFar;
    int least = row[from - 1];
    for (std::size_t j = from; j <= to; ++j) {
      const bool same = asciiLower(left[i - 1]) == asciiLower(right[j - 1]);
      int cell = std::min({above[j] + 1, row[j - 1] + 1, above[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && asciiLower(left[i - 1]) == asciiLower(right[j - 2]) &&
          asciiLower(left[i - 2]) == asciiLower(right[j - 1])) {
        cell = std::min(cell, rows[(i - 2) % 3][j - 2] + 1);
      }
      row[j] = std::min(cell, kFar);
      least = std::min(least, row[j]);
    }
    row[to + 1] = kFar;
    if (least >= kFar) return kFar;
  }
  return rows[n % 3][m];
}

}  // namespace

bool equalButForCase(std::string_view left, std::string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                    [](char l, char r) { return asciiLower(l) == asciiLower(r); });
}

std::optional<Misreading> misreading(ValueKind kind, std::string_view value) {
  switch (kind) {
    case ValueKind::kText:
      return std::nullopt;
    case ValueKind::kNumber:
      if (isWholeNumber(value)) return std::nullopt;
      return Misreading{value, atoiReading(value)};
    case ValueKind::kNumberList:
      return numberListMisreading(value);
    case ValueKind::kYesNo:
      return yesNoMisreading(value);
  }
  return std::nullopt;
}

NearMisses::NearMisses(const std::vector<std::string_view>& names) {
  for (const std::string_view name : names) {
    add(whole, name, name.data());
    add(bare, name.substr(std::min(kPrefix.size(), name.size())), name.data());
  }
}

void NearMisses::add(FormsByLength& forms, std::string_view text, const char* name) {
  if (forms.size() < text.size() + 3) forms.resize(text.size() + 3);
  const Form form{text, lettersOf(text), name};
  for (std::size_t length = text.size() > 2 ? text.size() - 2 : 0; length <= text.size() + 2;
       ++length) {
    forms[length].push_back(form);
  }
}

const char* NearMisses::nearest(const FormsByLength& forms, std::string_view name, bool firstFound,
                                int& fewest) {
  if (name.size() >= forms.size()) return nullptr;
  const std::uint64_t letters = lettersOf(name);
  const char* nearest = nullptr;
  for (const Form& form : forms[name.size()]) {
    if (!fewLettersApart(letters ^ form.letters)) continue;
    const int edits = editsApart(name, form.text);
    if (edits < fewest) {
      fewest = edits;
      nearest = form.name;
      if (firstFound) break;
    }
  }
  return nearest;
}

const char* NearMisses::nearest(std::string_view name, bool firstFound) const {
  int fewest = 3;
  // A name under the prefix is near a whole name exactly as its rest is near the bare one.
  if (equalButForCase(name.substr(0, kPrefix.size()), kPrefix)) {
    return nearest(bare, name.substr(kPrefix.size()), firstFound, fewest);
  }
  // One that lacks the prefix, or has it misspelt, is compared both ways.
  const char* nearestWhole = nearest(whole, name, firstFound, fewest);
  if (nearestWhole != nullptr && (firstFound || fewest == 0)) return nearestWhole;
  const char* nearestBare = nearest(bare, name, firstFound, fewest);
  return nearestBare != nullptr ? nearestBare : nearestWhole;
}
