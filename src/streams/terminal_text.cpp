// terminal_text.cpp: what of a text from outside may reach the person who reads it.
#include "streams/terminal_text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// The length of the valid UTF-8 sequence of two bytes or more at the start of `text`, with its
// code point in `codePoint`; 0 when the first byte does not begin one. Overlong forms and
// surrogates are invalid, as is anything beyond U+10FFFF.
std::size_t sequenceLength(std::string_view text, std::uint32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t least = 0;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
    least = 0x80;
    codePoint = lead & 0x1fu;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    least = 0x800;
    codePoint = lead & 0x0fu;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    least = 0x10000;
    codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0u) != 0x80) return 0;
    codePoint = codePoint << 6 | (byte(i) & 0x3fu);
  }
  const bool surrogate = codePoint >= 0xd800 && codePoint <= 0xdfff;
  if (codePoint < least || surrogate || codePoint > 0x10ffff) return 0;
  return length;
}

struct CodePointRange {
  std::uint32_t first, last;
};

// Characters that print nothing, though a terminal acts on some of them: the C1 controls (the
// Linux console takes U+009B as CSI); the bidirectional marks, embeddings, overrides and
// isolates, which reorder what follows; the line and paragraph separators; and the format
// characters, joiners, variation selectors and tags, which would make two names that differ
// look alike. The noncharacters U+xFFFE and U+xFFFF of every plane are shown so too.
constexpr CodePointRange kShownAsQuestionMark[] = {
    {0x0080, 0x009f},    // C1 controls
    {0x00ad, 0x00ad},    // soft hyphen
    {0x034f, 0x034f},    // combining grapheme joiner
    {0x0600, 0x0605},    // Arabic number signs
    {0x061c, 0x061c},    // Arabic letter mark
    {0x06dd, 0x06dd},    // Arabic end of ayah
    {0x070f, 0x070f},    // Syriac abbreviation mark
    {0x08e2, 0x08e2},    // Arabic disputed end of ayah
    {0x180b, 0x180f},    // Mongolian variation selectors and vowel separator
    {0x200b, 0x200f},    // zero-width space, non-joiner, joiner; left-to-right, right-to-left mark
    {0x2028, 0x202e},    // line and paragraph separators; embeddings and overrides
    {0x2060, 0x2064},    // word joiner, invisible operators
    {0x2066, 0x206f},    // isolates; deprecated format characters
    {0xfdd0, 0xfdef},    // noncharacters
    {0xfe00, 0xfe0f},    // variation selectors
    {0xfeff, 0xfeff},    // zero-width no-break space (byte order mark)
    {0xfff9, 0xfffb},    // interlinear annotation
    {0x110bd, 0x110bd},  // Kaithi number sign
    {0x110cd, 0x110cd},  // Kaithi number sign above
    {0x13430, 0x1343f},  // Egyptian hieroglyph format controls
    {0x1bca0, 0x1bca3},  // shorthand format controls
    {0x1d173, 0x1d17a},  // musical symbol format controls
    {0xe0000, 0xe007f},  // tags
    {0xe0100, 0xe01ef},  // variation selectors supplement
};

bool isShownAsQuestionMark(std::uint32_t c) {
  if ((c & 0xfffe) == 0xfffe) return true;  // U+xFFFE and U+xFFFF, in every plane
  return std::any_of(
      std::begin(kShownAsQuestionMark), std::end(kShownAsQuestionMark),
      [c](const CodePointRange& range) { return c >= range.first && c <= range.last; });
}

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

}  // namespace

std::string shownAsName(std::string_view name, bool onTerminal) {
  if (onTerminal) return shownOnTerminal(name);
  std::string shown(name);
  std::replace_if(shown.begin(), shown.end(), isControlByte, '?');
  return shown;
}

std::string shownOnTerminal(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80) {
      shown += isControlByte(text.front()) ? '?' : text.front();
      text.remove_prefix(1);
      continue;
    }
    std::uint32_t codePoint = 0;
    const std::size_t length = sequenceLength(text, codePoint);
    if (length == 0) {
      shown += '?';  // one for each byte of an invalid sequence
      text.remove_prefix(1);
      continue;
    }
    if (isShownAsQuestionMark(codePoint)) {
      shown += '?';
    } else {
      shown.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return shown;
}
