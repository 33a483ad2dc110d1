// comma_split.h: splits a delimited list, such as an SLP timeout list, into its pieces.
#pragma once
#include <list>
#include <string>

// The pieces of `text` between the `delimiter`s, in order and exactly as they stand (blanks
// kept). Empty pieces, from two delimiters in a row or a delimiter at either end, are dropped,
// so an empty text gives no pieces.
std::list<std::string> SplitCommaDelimitedString(std::string text, char delimiter);
