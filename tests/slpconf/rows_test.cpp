// Pins the row kinds: value conversion, yes/no against each reference, timeout lists and
// missing properties.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "slpconf/rows.h"

namespace {

// The SLP library, as far as these tests need it: a key absent from the map has no value.
std::map<std::string, std::string> properties;

}  // namespace

extern "C" const char* SLPGetProperty(const char* name) {
  const auto found = properties.find(name);
  return found == properties.end() ? nullptr : found->second.c_str();
}

namespace {

std::string printed(const std::function<void()>& print) {
  std::stringbuf sink;
  std::streambuf* saved = std::cout.rdbuf(&sink);
  print();
  std::cout.rdbuf(saved);
  return sink.str();
}

TEST(Rows, MillisecondsShowAsSeconds) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"15000", "15"},         {"1500", "1.5"},      {"750", "0.75"},    {"5", "0.005"},
      {"0", "0"},              {"1234567", "1234.57"}, {"123456789", "123457"},
      {"2000000000", "2e+06"}, {"-3000", "-3"},      {"none", "0"},      {"", "0"},
      {"0.05", "5e-05"},       {"100", "0.1"},       {"3000ms", "3"},    {"  1500  ", "1.5"},
  };
  for (const auto& c : cases) {
    properties = {{"net.slp.wait", c.stored}};
    EXPECT_EQ(std::string("Wait\t\t\t\t") + c.shown + " sec.\n",
              printed([] { printMillisecondsRow("Wait\t\t", "net.slp.wait"); }))
        << "stored: '" << c.stored << "'";
  }
}

TEST(Rows, YesNoShowsWhatTheLibraryActsOn) {
  const struct {
    const char* stored;
    const char* reference;
    const char* shown;
  } cases[] = {
      // Reference "false": the library's boolean, true when it begins with t, T, y, Y or 1.
      {"false", "false", "NO"}, {"False", "false", "NO"},  {"no", "false", "NO"},
      {"0", "false", "NO"},     {"off", "false", "NO"},    {"on", "false", "NO"},
      {"", "false", "NO"},      {" true", "false", "NO"},  {"true", "false", "YES"},
      {"TRUE", "false", "YES"}, {"yes", "false", "YES"},   {"Y", "false", "YES"},
      {"1", "false", "YES"},
      // Any other reference: NO when the value equals it without regard to ASCII case.
      {"", "", "NO"},           {"10.0.0.5", "", "YES"},   {"default", "default", "NO"},
      {"DEFAULT", "default", "NO"}, {"SALES", "default", "YES"}, {"defaults", "default", "YES"},
      {"def", "default", "YES"},
  };
  for (const auto& c : cases) {
    properties = {{"net.slp.flag", c.stored}};
    EXPECT_EQ(std::string("Flag\t\t\t") + c.shown + "\n",
              printed([&] { printYesNoRow("Flag\t", "net.slp.flag", c.reference); }))
        << "stored: '" << c.stored << "', reference: '" << c.reference << "'";
  }
}

TEST(Rows, TimeoutListsShowEachElementInSeconds) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"2000,2000,3000", "2 2 3  sec."},
      {"500", "0.5  sec."},
      {"", " sec."},
      {",1500,,", "1.5  sec."},  // empty pieces never show as 0-second timeouts
      {"3000ms, 500 ,x", "3 0.5 0  sec."},
  };
  for (const auto& c : cases) {
    properties = {{"net.slp.timeouts", c.stored}};
    EXPECT_EQ(std::string("Timeouts\t\t\t") + c.shown + "\n",
              printed([] { printTimeoutListRow("Timeouts\t", "net.slp.timeouts"); }))
        << "stored: '" << c.stored << "'";
  }
}

TEST(Rows, ValueAndUnitRowsShowTheValueAsStored) {
  properties = {{"net.slp.MTU", "1400"}, {"net.slp.DAHeartBeat", "10800"}, {"net.slp.s", " a, b "}};
  EXPECT_EQ("MTU\t\t1400 bytes\n", printed([] { printUnitRow("MTU", "net.slp.MTU", " bytes"); }));
  EXPECT_EQ("Life\t\t10800 sec.\n",
            printed([] { printUnitRow("Life", "net.slp.DAHeartBeat", secondsText); }));
  EXPECT_EQ("S\t\t\t a, b \n", printed([] { printValueRow("S\t", "net.slp.s"); }));
}

TEST(Rows, MissingPropertyShowsAnEmptyValueInEveryKind) {
  properties.clear();
  const std::function<void()> rows[] = {
      [] { printYesNoRow("L", "net.slp.none", "false"); },
      [] { printYesNoRow("L", "net.slp.none", ""); },
      [] { printValueRow("L", "net.slp.none"); },
      [] { printUnitRow("L", "net.slp.none", " bytes"); },
      [] { printMillisecondsRow("L", "net.slp.none"); },
      [] { printTimeoutListRow("L", "net.slp.none"); },
  };
  for (const auto& row : rows) EXPECT_EQ("L\t\t\n", printed(row));
}

}  // namespace
