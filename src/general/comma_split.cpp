// comma_split.cpp: splits a delimited list, such as an SLP timeout list, into its pieces.
#include "general/comma_split.h"

// By value, as the product's general library declares it.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
std::list<std::string> SplitCommaDelimitedString(std::string text, char delimiter) {
  std::list<std::string> pieces;
  std::string::size_type begin = 0;
  while (begin < text.size()) {
    std::string::size_type end = text.find(delimiter, begin);
    if (end == std::string::npos) end = text.size();
    // A stray delimiter must not turn into an element: a caller would read it as a zero.
    if (end > begin) pieces.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return pieces;
}
