// terminal_text.cpp: what of a text from outside may reach the person who reads it.
#include "streams/terminal_text.h"

#include <cstdint>

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

// Characters that move the cursor, reorder what follows or end a line, though they print
// nothing: the C1 controls (the Linux console takes U+009B as CSI), the bidirectional marks,
// embeddings, overrides and isolates, and the line and paragraph separators.
bool isInvisibleControl(std::uint32_t c) {
  return (c >= 0x80 && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f ||
         (c >= 0x2028 && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
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
    if (isInvisibleControl(codePoint)) {
      shown += '?';
    } else {
      shown.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return shown;
}
