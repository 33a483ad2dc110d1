// Pins the line written for an argument exception that escapes the parser.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/command_line.h"

namespace {

TEST(CommandLine, ArgumentExceptionIsOneLineAndAFailure) {
  const struct {
    TCLAP::ArgException exception;
    const char* line;
  } cases[] = {
      {TCLAP::ArgException("bad flag"), "error: bad flag for arg  \n"},
      {TCLAP::ArgException("bad flag", "-O"), "error: bad flag for arg Argument: -O\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream err;
    EXPECT_EQ(1, reportArgumentException(c.exception, err));
    EXPECT_EQ(c.line, err.str());
  }
}

}  // namespace
