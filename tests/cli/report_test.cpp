// Runs the program end to end: the banner, the brief usage, the exact bytes of the eight
// configuration sections, their fixed order, and how every kind of command line ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "support/memory_limit.h"
#include "support/process.h"
#include "support/report_text.h"
#include "support/temp_file.h"

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

  // The program with the library's defaults only.
  static ProcessResult runWithDefaults(const std::vector<std::string>& args) {
    return runProgram(TOLVANE_BINARY, args, {"OpenSLPConfig=/nonexistent/slp.conf"});
  }

  inline static const std::string config = TOLVANE_REPORTS_DIR "/sample.conf";
};

void expectSuccess(const ProcessResult& result, const std::string& out) {
  EXPECT_EQ(0, result.exitStatus);
  EXPECT_EQ(out, result.out);
  EXPECT_EQ("", result.err);
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
  for (std::size_t i = 0; i < std::size(kSectionFlags); ++i) {
    SCOPED_TRACE(kSectionFlags[i]);
    expectSuccess(runWithDefaults({kSectionFlags[i]}), kBanner + kExpected.defaults[i]);
  }
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
                                     {"-O\x1b]0;t\a\x7fx", "-*?]0;t??x"},
                                     {"-\x1b[31mx", "-?[31mx"},
                                     {"-\xc3\xa9x", "-\xc3\xa9x"},
                                     {"-O x", "-O x"}}) {
    std::string expected = unknown;
    expected.replace(expected.find("-x"), 2, shown);
    EXPECT_EQ(expected, runWithSample({group}).err) << group;
  }
  const ProcessResult named = runProcess(TOLVANE_BINARY, {"my tol\x1b[2Jvane", "-x"});
  EXPECT_NE(std::string::npos, named.err.find("\n   my tol?[2Jvane  [-A]")) << named.err;
  EXPECT_NE(std::string::npos, named.err.find("\n   my tol?[2Jvane --help\n")) << named.err;
}

TEST_F(Report, WritesALineAtATimeOnlyWhenStandardOutputIsATerminal) {
  // strace counts the program's writes to each stream; script gives it a terminal.
  const std::string trace = config + ".trace", err = config + ".err";
  const auto traced = [&](const char* args) {
    return "strace -qq -e trace=write -o '" + trace + "' '" + TOLVANE_BINARY + "' " + args;
  };
  const std::size_t lines = 21;  // the banner's 6, the parameters' 8, the timers' 7
  const struct {
    std::string command;
    const char* call;
    std::size_t writes;  // 0: one for each line written to `err`
  } cases[] = {
      {traced("-O -T") + " >/dev/null 2>&1", "write(1,", 1},
      {"script -qec \"" + traced("-O -T") + " 2>/dev/null\" /dev/null >/dev/null", "write(1,",
       lines},
      {"script -qec \"" + traced("-O -T") + " >/dev/null\" /dev/null >/dev/null", "write(1,", 1},
      // Standard error a line at a time, so that a shared log never splits a line.
      {traced("-x") + " 2>'" + err + "'", "write(2,", 0},
      {traced("-O") + " >/dev/full 2>/dev/null", "write(2,", 1},
  };
  for (const auto& c : cases) {
    // LeakSanitizer cannot run under ptrace.
    const ProcessResult run =
        runShell(c.command, {"OpenSLPConfig=" + config, "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(0, run.signal) << c.command << "\n" << run.err;
    std::ifstream traceFile(trace), errFile(err);
    std::size_t writes = 0, errLines = 0;
    for (std::string call; std::getline(traceFile, call);) writes += call.rfind(c.call, 0) == 0;
    for (std::string line; std::getline(errFile, line);) ++errLines;
    EXPECT_EQ(c.writes != 0 ? c.writes : errLines, writes) << c.command;
    EXPECT_LT(0u, writes) << c.command;
  }
  std::remove(trace.c_str());
  std::remove(err.c_str());
}

// Runs the program with descriptor `fd` a non-blocking pipe that is full when the program
// starts and is drained only later, a page at a time, as a slow reader would. Returns what the
// pipe carried after the filler, the exit status, and whether the program waited without
// spinning: a wait that polls would burn the CPU a slow reader lacks.
std::tuple<std::string, int, bool> runIntoFullPipe(int fd, const std::vector<std::string>& args,
                                                   const std::string& config) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0 || fcntl(ends[1], F_SETPIPE_SZ, 4096) < 0 ||
      fcntl(ends[1], F_SETFL, O_NONBLOCK) != 0) {
    return {"no pipe", -1, false};
  }
  std::size_t filler = 0;
  while (write(ends[1], "x", 1) == 1) ++filler;
  const pid_t child = fork();
  if (child == 0) {
    dup2(ends[1], fd);
    std::vector<char*> argv{const_cast<char*>(TOLVANE_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    setenv("OpenSLPConfig", config.c_str(), 1);
    execv(TOLVANE_BINARY, argv.data());
    _exit(127);
  }
  close(ends[1]);
  usleep(300000);  // long enough for the program to find the pipe full
  std::string carried;
  char page[4096];
  for (ssize_t got; (got = read(ends[0], page, sizeof page)) > 0;) carried.append(page, got);
  close(ends[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const long cpuMicroseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                               usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
  return {carried.substr(std::min(filler, carried.size())),
          WIFEXITED(status) ? WEXITSTATUS(status) : -1, cpuMicroseconds < 150000};
}

TEST_F(Report, WaitsForRoomOnAFullNonBlockingPipe) {
  // A scope list longer than the output buffer goes through it in several pieces.
  const std::string scopes(20000, 's');
  const TempFile longScopes("net.slp.useScopes = " + scopes + "\nnet.slp.DAAddresses = 10.0.0.5\n");
  const ProcessResult plain =
      runProgram(TOLVANE_BINARY, {"-P"}, {"OpenSLPConfig=" + longScopes.path()});
  ASSERT_NE(std::string::npos, plain.out.find("\t" + scopes + "\n")) << plain.out;
  EXPECT_EQ(std::tuple(plain.out, 0, true),
            runIntoFullPipe(STDOUT_FILENO, {"-P"}, longScopes.path()));
  EXPECT_EQ(std::tuple(runWithSample({"-x"}).err, 1, true),
            runIntoFullPipe(STDERR_FILENO, {"-x"}, config));
}

TEST_F(Report, RunsOrSaysNotEnoughMemoryUnderAnyAddressSpaceLimit) {
  SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT();
  // A timeout list that takes memory to show, after the rows before it are printed.
  std::string ones = "1";
  for (int i = 1; i < 32000; ++i) ones += ",1";
  const TempFile longList("net.slp.multicastTimeouts = " + ones + "\n");
  const std::vector<std::string> environment{"OpenSLPConfig=" + longList.path()};
  const std::string report = runProgram(TOLVANE_BINARY, {"-O", "-T"}, environment).out;
  const std::string message = "Not enough memory\n";
  int refused = 0, refusedAfterPrinting = 0;
  for (int kib = 2048; kib <= 8192; kib += 16) {
    SCOPED_TRACE(std::to_string(kib) + " KiB");
    // Standard error merged: the message comes after what was printed.
    const ProcessResult result = runShell(
        "ulimit -v " + std::to_string(kib) + " && exec '" + TOLVANE_BINARY + "' -O -T 2>&1",
        environment);
    // Under the smallest limits the loader cannot map the C library: the program never runs.
    if (result.exitStatus == 127) continue;
    if (result.exitStatus == 255) {
      ++refused;
      const std::string printed = result.out.substr(0, result.out.size() - message.size());
      EXPECT_EQ(message, result.out.substr(printed.size()));
      EXPECT_EQ(0u, report.rfind(printed, 0)) << "what was printed before stays whole";
      EXPECT_TRUE(printed.empty() || printed.back() == '\n') << "a row is whole or absent";
      refusedAfterPrinting += !printed.empty();
      continue;
    }
    EXPECT_EQ(0, result.exitStatus) << result.out;
    EXPECT_EQ(report, result.out);
  }
  EXPECT_LT(0, refused) << "no limit left the program short of memory after it started";
  EXPECT_LT(0, refusedAfterPrinting) << "no limit let the report begin before memory ran out";
}

TEST_F(Report, AFailedWriteEndsTheRunWithAReason) {
  const std::string program = std::string("'") + TOLVANE_BINARY + "'";
  // The write end of a FIFO whose reader has gone, with SIGPIPE ignored.
  const std::string readerGone =
      "d=$(mktemp -d) && mkfifo \"$d/f\" && exec 3<>\"$d/f\" 4>\"$d/f\" 3<&- && rm -r \"$d\" && "
      "trap '' PIPE && exec " +
      program + " -O >&4 4>&-";
  const struct {
    std::string command;
    const char* reason;
  } cases[] = {
      {program + " -A >/dev/full", "No space left on device"},
      {program + " >/dev/full", "No space left on device"},
      {program + " --help >/dev/full", "No space left on device"},
      {program + " --version >/dev/full", "No space left on device"},
      {program + " -O >&-", "Bad file descriptor"},
      {readerGone, "Broken pipe"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = runShell(c.command, {"OpenSLPConfig=" + config});
    EXPECT_EQ(255, result.exitStatus) << c.command;
    EXPECT_EQ(std::string("Can't write to standard output: ") + c.reason + "\n", result.err)
        << c.command;
  }
  // With standard error full or closed nothing more can be said; the status stands.
  for (const auto& [command, status] : {std::pair{program + " -x 2>/dev/full", 1},
                                        {program + " -x 2>&-", 1},
                                        {program + " -O >/dev/full 2>/dev/full", 255},
                                        {program + " -O >&- 2>&-", 255}}) {
    const ProcessResult result = runShell("exec " + command, {"OpenSLPConfig=" + config});
    EXPECT_EQ(std::pair(status, 0), std::pair(result.exitStatus, result.signal)) << command;
  }
}

}  // namespace
