// Runs the program end to end: the banner, the brief usage, the exact bytes of the eight
// configuration sections, their fixed order, and how every kind of command line ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/report_text.h"

namespace {

const std::string kBriefUsage =
    "Brief USAGE:\n"
    "tolvane  [-A] [-I] [-R] [-S] [-N] [-T] [-D] [-C] [-P] [-O] [--]\n"
    "\t[--version] [-h] \n";

// The configuration report's expected bytes, which the package's tests compare with too: the
// eight sections on the library's defaults, then on the sample file, each run with its banner.
struct ExpectedReports {
  std::vector<std::string> defaults, sample;  // a section each, in the report's order
};

// Cuts a report after its banner into sections: each opens with an empty line, and no row is
// empty.
std::vector<std::string> sectionsOf(const std::string& report) {
  std::vector<std::string> sections;
  for (std::size_t at = 0; at < report.size();) {
    const std::size_t next = std::min(report.find("\n\n", at + 1), report.size() - 1);
    sections.push_back(report.substr(at, next + 1 - at));
    at = next + 1;
  }
  return sections;
}

ExpectedReports readExpectedReports() {
  std::ifstream file(TOLVANE_REPORTS_DIR "/configuration.expected", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), {}};
  const std::size_t second = text.find(kBanner, 1);
  if (text.rfind(kBanner, 0) != 0 || second == std::string::npos) return {};
  return {sectionsOf(text.substr(kBanner.size(), second - kBanner.size())),
          sectionsOf(text.substr(second + kBanner.size()))};
}

const ExpectedReports kExpected = readExpectedReports();

const char* const kSectionFlags[] = {"-O", "-P", "-C", "-D", "-T", "-N", "-S", "-R"};

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(std::size(kSectionFlags), kExpected.defaults.size());
    ASSERT_EQ(std::size(kSectionFlags), kExpected.sample.size());
  }

  // The program with the sample file over the library's defaults.
  static ProcessResult runWithSample(const std::vector<std::string>& args) {
    return runProgram(TOLVANE_BINARY, args, {"OpenSLPConfig=" + config});
  }

  // The program with the library's defaults: `config`, in OpenSLPConfig, sets nothing (by
  // default it names no file).
  static ProcessResult runWithDefaults(const std::vector<std::string>& args,
                                       const std::string& config = "") {
    return runProgram(TOLVANE_BINARY, args, {"OpenSLPConfig=" + config});
  }

  inline static const std::string config = TOLVANE_REPORTS_DIR "/sample.conf";
};

void expectSuccess(const ProcessResult& result, const std::string& out,
                   const std::string& err = "") {
  EXPECT_EQ(0, result.exitStatus);
  EXPECT_EQ(out, result.out);
  EXPECT_EQ(err, result.err);
}

TEST_F(Report, EachSectionForTheSampleFile) {
  for (std::size_t i = 0; i < std::size(kSectionFlags); ++i) {
    SCOPED_TRACE(kSectionFlags[i]);
    expectSuccess(runWithSample({kSectionFlags[i]}), kBanner + kExpected.sample[i]);
  }
}

TEST_F(Report, EachSectionForTheDefaults) {
#ifndef TOLVANE_BUILTIN_SLP
  GTEST_SKIP() << "the system's SLP library answers; its defaults are its own";
#else
  if (access(TOLVANE_SLP_GLOBAL_CONF, F_OK) == 0) {
    GTEST_SKIP() << TOLVANE_SLP_GLOBAL_CONF << " exists on this machine and changes the defaults";
  }
  // A file that is not read changes the report by its note on standard error alone.
  const std::string notRead = "; its settings are not in the report\n";
  const struct {
    std::string config;
    std::string note;
  } cases[] = {
      {"", ""},
      {"/nonexistent/slp.conf",
       "tolvane: /nonexistent/slp.conf: no such file (named by OpenSLPConfig)" + notRead},
      {"/nonexistent/{line}{path}",
       "tolvane: /nonexistent/{line}{path}: no such file (named by "
       "OpenSLPConfig)" +
           notRead},
      {"/nonexistent/\x1b[2J\n.conf",
       "tolvane: /nonexistent/?[2J?.conf: no such file (named by OpenSLPConfig)" + notRead},
      {TOLVANE_REPORTS_DIR,
       "tolvane: " TOLVANE_REPORTS_DIR ": not a regular file (a directory)" + notRead},
  };
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < std::size(kSectionFlags); ++i) {
      SCOPED_TRACE(kSectionFlags[i] + (" " + c.config));
      expectSuccess(runWithDefaults({kSectionFlags[i]}, c.config), kBanner + kExpected.defaults[i],
                    c.note);
    }
  }
  // Merged, the note comes before the report, not inside its first section; a run that prints
  // no configuration section reads no file.
  const std::string broken = "OpenSLPConfig=" + cases[1].config;
  expectSuccess(runShell(std::string("exec '") + TOLVANE_BINARY + "' -O 2>&1", {broken}),
                cases[1].note + kBanner + kExpected.defaults[0]);
  for (const auto& args : {std::vector<std::string>{"-I"}, {}}) {
    EXPECT_EQ("", runProgram(TOLVANE_BINARY, args, {broken}).err) << args.size();
  }
  // A note on a terminal shows by the terminal's rule while the report goes to a file: the rule
  // asks of standard error, where the note goes.
  const ProcessResult onTerminal =
      runShell(std::string("script -qec \"exec '") + TOLVANE_BINARY + "' -O >/dev/null\" /dev/null",
               {"OpenSLPConfig=/nonexistent/\xe2\x80\xae.conf"});
  EXPECT_EQ(
      "tolvane: /nonexistent/?.conf: no such file (named by OpenSLPConfig); its settings are "
      "not in the report\r\n",
      onTerminal.out);
#endif
}

TEST_F(Report, SectionsComeInTheirFixedOrder) {
  const auto& s = kExpected.sample;
  const struct {
    std::vector<std::string> args;
    std::string sections;
  } cases[] = {
      {{"-O", "-T"}, s[0] + s[4]},
      {{"-T", "-O"}, s[0] + s[4]},
      {{"-OT"}, s[0] + s[4]},
      {{"--timer", "--parameters"}, s[0] + s[4]},
      {{"-R", "-P", "-C"}, s[1] + s[2] + s[7]},
      {{"-RSNTDCPO"}, s[0] + s[1] + s[2] + s[3] + s[4] + s[5] + s[6] + s[7]},
      {{"--"}, ""},
      {{"--", "-O"}, ""},
      {{"-P", "--ignore_rest", "-O", "", "word"}, s[1]},
      {{"-O", "--", "-\a", "-P\a"}, s[0]},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    expectSuccess(runWithSample(c.args), kBanner + c.sections);
  }
}

TEST_F(Report, AllPrintsEverySectionAfterTheSelectedOnes) {
  // In a network namespace of its own the host has no eth interface, so the interface section
  // that closes the -A pass prints nothing.
  if (runProgram("unshare", {"-n", "true"}).exitStatus != 0) {
    GTEST_SKIP() << "network namespaces are not permitted here (unshare -n failed)";
  }
  std::string all;
  for (const auto& text : kExpected.sample) all += text;
  const struct {
    std::vector<std::string> args;
    std::string sections;
  } cases[] = {
      {{"-A"}, all},
      {{"-O", "-A"}, kExpected.sample[0] + all},
      {{"--all", "-R"}, kExpected.sample[7] + all},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args{"-n", TOLVANE_BINARY};
    args.insert(args.end(), c.args.begin(), c.args.end());
    expectSuccess(runProgram("unshare", args, {"OpenSLPConfig=" + config}), kBanner + c.sections);
  }
}

TEST_F(Report, NoArgumentsPrintsTheBriefUsage) {
  expectSuccess(runWithSample({}), kBanner + kBriefUsage);
  // Started without even a program name, it behaves the same.
  expectSuccess(runProcess(TOLVANE_BINARY, {}, {"OpenSLPConfig=" + config}), kBanner + kBriefUsage);
}

TEST_F(Report, HelpAndVersionAreTheParsersAndPrintNoBanner) {
  const std::string version =
      std::string("\n") + TOLVANE_BINARY + "  version: " TOLVANE_VERSION "\n\n";
  const struct {
    std::vector<std::string> args;
    bool isVersion;
  } cases[] = {
      {{"-v"}, true},  {{"--version"}, true}, {{"-O", "-v"}, true},  {{"-Ov"}, true},
      {{"-h"}, false}, {{"--help"}, false},   {{"-O", "-h"}, false}, {{"-h", "-x"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const ProcessResult result = runWithSample(c.args);
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("", result.err);
    if (c.isVersion) {
      EXPECT_EQ(version, result.out);
      continue;
    }
    EXPECT_EQ(0u, result.out.rfind("\nUSAGE: \n", 0)) << result.out;
    EXPECT_EQ(std::string::npos, result.out.find(kStars));
    for (const char* description :
         {"Displays configured parameter settings", "Displays all options",
          "Displays usage information and exits.", "Displays version information and exits.",
          "-v,  --version", "Displays diagnostic information for the Service Location Protocol"}) {
      EXPECT_NE(std::string::npos, result.out.find(description)) << description;
    }
  }
}

TEST_F(Report, MalformedCommandLinesFailWithNothingOnStandardOutput) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"-O", "-O"}, "Argument already set!"},
      {{"-OO"}, "Argument already set!"},
      {{"--parameters", "-O"}, "Argument already set!"},
      {{"-x"}, "Couldn't find match for argument"},
      {{"--bogus"}, "Couldn't find match for argument"},
      {{"word"}, "Couldn't find match for argument"},
      {{""}, "Couldn't find match for argument"},
      {{"-O", ""}, "Couldn't find match for argument"},
      {{"-x", "-h"}, "Couldn't find match for argument"},
      {{"-Ox"}, "Couldn't find match for argument"},
      // the parser's mark for a taken letter, given: no emptied group, no letter taken
      {{"-\a"}, "Couldn't find match for argument"},
      {{"-O\a"}, "Couldn't find match for argument"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const ProcessResult result = runWithSample(c.args);
    EXPECT_EQ(1, result.exitStatus);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(0u, result.err.rfind("PARSE ERROR: ", 0)) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.reason)) << result.err;
    EXPECT_NE(std::string::npos, result.err.find("Brief USAGE: \n")) << result.err;
    // The usage wraps where the program's path leaves it room: read it with blanks collapsed.
    std::string unwrapped;
    for (const char c : result.err) {
      if ((c != ' ' && c != '\n') || (!unwrapped.empty() && unwrapped.back() != ' ')) {
        unwrapped += c == '\n' ? ' ' : c;
      }
    }
    EXPECT_NE(std::string::npos, unwrapped.find("[-O] [--] [-v] [-h]")) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(std::string(TOLVANE_BINARY) + " --help\n"))
        << result.err;
  }
}

TEST_F(Report, FailureReportsShowTakenLettersAsStarsAndControlBytesAsQuestionMarks) {
  // The report for -x, with each letter a switch took shown as '*' before the x, and every
  // control byte as '?'.
  const std::string unknown = runWithSample({"-x"}).err;
  for (const auto& [group, shown] : {std::pair{"-Ox", "-*x"},
                                     {"-IOx", "-**x"},
                                     {"-O\x1b]0;t\a\x7fx", "-O?]0;t??x"},
                                     {"-\x1b[31mx", "-?[31mx"},
                                     {"-\xc3\xa9x", "-\xc3\xa9x"},
                                     {"-O\xc2\x9b\xe2\x80\xae\x9b\xc0\xafx", "-*?????x"},
                                     {"-O x", "-O x"}}) {
    std::string expected = unknown;
    expected.replace(expected.find("-x"), 2, shown);
    EXPECT_EQ(expected, runWithSample({group}).err) << group;
  }
  const ProcessResult named = runProcess(TOLVANE_BINARY, {"my tol\x1b[2J\xe2\x81\xa6vane", "-x"});
  EXPECT_NE(std::string::npos, named.err.find("\n   my tol?[2J?vane  [-A]")) << named.err;
  EXPECT_NE(std::string::npos, named.err.find("\n   my tol?[2J?vane --help\n")) << named.err;
  // On a terminal each line passes once the parser has wrapped it: a name too long for its line
  // is cut inside its last character, whose two halves show as '?' each, never as a lone byte;
  // so too when only standard error, where the failure report goes, is the terminal.
  const std::string name = std::string(71, 'a') + "\xc3\x9b";
  for (const char* args : {"-x", "-h", "-x >/dev/null"}) {
    const ProcessResult wrapped = runShell("script -qec \"bash -c 'exec -a " + name + " \\\"" +
                                           TOLVANE_BINARY + "\\\" " + args + "'\" /dev/null");
    EXPECT_NE(std::string::npos,
              wrapped.out.find(std::string(71, 'a') + "?\r\n" + std::string(40, ' ') + "?  [-A]"))
        << args << "\n"
        << wrapped.out;
  }
}

}  // namespace
