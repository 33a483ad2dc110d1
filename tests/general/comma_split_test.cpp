// comma_split_test.cpp: the pieces of a delimited list, as the timeout rows rely on them.
#include "general/comma_split.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

TEST(SplitCommaDelimitedString, YieldsThePiecesBetweenDelimiters) {
  const struct {
    std::string text;
    char delimiter;
    std::list<std::string> pieces;
  } cases[] = {
      {"", ',', {}},
      {"3000", ',', {"3000"}},
      {"500,750,1000", ',', {"500", "750", "1000"}},
      {" 500 , 750 ", ',', {" 500 ", " 750 "}},  // blanks belong to the piece
      {"500, ,750", ',', {"500", " ", "750"}},   // a blank piece is not an empty one
      {",500,,750,", ',', {"500", "750"}},
      {",", ',', {}},
      {",,,", ',', {}},
      {"a;b,c;", ';', {"a", "b,c"}},  // only the given delimiter splits
      {std::string("a\0b", 3), ',', {std::string("a\0b", 3)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.pieces, SplitCommaDelimitedString(c.text, c.delimiter))
        << "text \"" << c.text << "\" delimiter '" << c.delimiter << "'";
  }
}
