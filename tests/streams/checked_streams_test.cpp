// The checked standard streams, in the running program: a line at a time only on a terminal,
// a full pipe waited on, a failed write or no memory left ending the run with its reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/memory_limit.h"
#include "support/process.h"
#include "support/temp_file.h"

namespace {

// The library's defaults: which configuration the report shows matters to none of these. An
// empty OpenSLPConfig names no file, so the store has nothing to note on standard error.
const std::string kDefaults = "OpenSLPConfig=";

TEST(CheckedStreams, WritesALineAtATimeOnlyWhenStandardOutputIsATerminal) {
  // strace counts the program's writes to each stream; script gives it a terminal.
  const ProcessResult probe = runShell("strace -qq -o /dev/null true", {});
  if (probe.exitStatus != 0) {
    GTEST_SKIP() << "strace cannot trace a process here (no ptrace, as under qemu-user): "
                 << probe.err;
  }
  const TempDir dir;
  const std::string trace = dir.path("trace"), err = dir.path("err");
  const std::string wrongCase = dir.write("case.conf", "net.slp.mtu = 1\n");  // one note
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
      {"OpenSLPConfig='" + wrongCase + "' " + traced("-O") + " >/dev/null 2>'" + err + "'",
       "write(2,", 0},
      {traced("-O") + " >/dev/full 2>/dev/null", "write(2,", 1},
  };
  for (const auto& c : cases) {
    // LeakSanitizer cannot run under ptrace.
    const ProcessResult run = runShell(c.command, {kDefaults, "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(0, run.signal) << c.command << "\n" << run.err;
    std::ifstream traceFile(trace), errFile(err);
    std::size_t writes = 0, errLines = 0;
    for (std::string call; std::getline(traceFile, call);) writes += call.rfind(c.call, 0) == 0;
    for (std::string line; std::getline(errFile, line);) ++errLines;
    EXPECT_EQ(c.writes != 0 ? c.writes : errLines, writes) << c.command;
    EXPECT_LT(0u, writes) << c.command;
  }
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

TEST(CheckedStreams, WaitsForRoomOnAFullNonBlockingPipe) {
  // A scope list longer than the output buffer goes through it in several pieces.
  const std::string scopes(20000, 's');
  const TempFile longScopes("net.slp.useScopes = " + scopes + "\nnet.slp.DAAddresses = 10.0.0.5\n");
  const ProcessResult plain =
      runProgram(TOLVANE_BINARY, {"-P"}, {"OpenSLPConfig=" + longScopes.path()});
  ASSERT_NE(std::string::npos, plain.out.find("\t" + scopes + "\n")) << plain.out;
  EXPECT_EQ(std::tuple(plain.out, 0, true),
            runIntoFullPipe(STDOUT_FILENO, {"-P"}, longScopes.path()));
  EXPECT_EQ(std::tuple(runProgram(TOLVANE_BINARY, {"-x"}).err, 1, true),
            runIntoFullPipe(STDERR_FILENO, {"-x"}, "/nonexistent/slp.conf"));
}

TEST(CheckedStreams, RunsOrSaysNotEnoughMemoryUnderAnyAddressSpaceLimit) {
  SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT();
  // A timeout list that takes memory to show, after the rows before it are printed.
  std::string ones = "1";
  for (int i = 1; i < 32000; ++i) ones += ",1";
  const TempFile longList("net.slp.multicastTimeouts = " + ones + "\n");
  const std::vector<std::string> environment{"OpenSLPConfig=" + longList.path()};
  // The parser's help and failure report, under a name so long that each copy the parser makes
  // of it takes memory of its own: memory runs out while they are made, and they are written
  // whole or not at all.
  const std::string longName(130000, 'n');
  const struct {
    std::string name;
    const char* args;
    bool wholeOrNothing;
  } cases[] = {{TOLVANE_BINARY, "-O -T", false}, {longName, "-h", true}, {longName, "-x", true}};
  const std::string message = "Not enough memory\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    // Standard error merged: the message comes after what was printed.
    const auto run = [&](const std::string& limit) {
      return runProcess("bash",
                        {"bash", "-c",
                         std::string("ulimit -v $1 && exec -a \"$0\" '") + TOLVANE_BINARY + "' " +
                             c.args + " 2>&1",
                         c.name, limit},
                        environment);
    };
    const ProcessResult whole = run("unlimited");
    int refused = 0, refusedAfterPrinting = 0;
    // Every whole line waiting is written before the message, not only the first: where memory
    // ran out after the first section was made, its heading and rule line are there.
    bool firstSectionPrinted = false;
    for (int kib = 2048; kib <= 8192; kib += 16) {
      SCOPED_TRACE(std::to_string(kib) + " KiB");
      const ProcessResult result = run(std::to_string(kib));
      // Under the smallest limits the loader cannot map the C library, or the shell cannot even
      // start the program: the program never runs.
      if (result.exitStatus == 127 || !result.err.empty()) continue;
      if (result.exitStatus == 255) {
        ++refused;
        const std::string printed = result.out.substr(0, result.out.size() - message.size());
        EXPECT_EQ(message, result.out.substr(printed.size()));
        EXPECT_EQ(0u, whole.out.rfind(printed, 0)) << "what was printed before stays whole";
        EXPECT_TRUE(printed.empty() || printed.back() == '\n') << "a row is whole or absent";
        EXPECT_TRUE(!c.wholeOrNothing || printed.empty()) << "the report is whole or absent";
        refusedAfterPrinting += !printed.empty();
        firstSectionPrinted |= printed.find(
                                   "\nSLP Operational Parameters\t\t\tValues\n"
                                   "----------------------------------\t\t"
                                   "------------\n") != std::string::npos;
        continue;
      }
      EXPECT_EQ(whole.exitStatus, result.exitStatus) << result.out;
      EXPECT_EQ(whole.out, result.out);
    }
    EXPECT_LT(0, refused) << "no limit left the program short of memory after it started";
    if (!c.wholeOrNothing) {
      EXPECT_LT(0, refusedAfterPrinting) << "no limit let the report begin before memory ran out";
      EXPECT_TRUE(firstSectionPrinted) << "no limit printed the first section whole";
    }
  }
}

TEST(CheckedStreams, AFailedWriteEndsTheRunWithAReason) {
  const std::string program = std::string("'") + TOLVANE_BINARY + "'";
  // Descriptor 4: the write end of a FIFO whose reader has gone.
  const std::string noReader =
      "d=$(mktemp -d) && mkfifo \"$d/f\" && exec 3<>\"$d/f\" 4>\"$d/f\" 3<&- && rm -r \"$d\" && ";
  // With SIGPIPE ignored.
  const std::string readerGone = noReader + "trap '' PIPE && exec " + program + " -O >&4 4>&-";
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
    const ProcessResult result = runShell(c.command, {kDefaults});
    EXPECT_EQ(255, result.exitStatus) << c.command;
    EXPECT_EQ(std::string("Can't write to standard output: ") + c.reason + "\n", result.err)
        << c.command;
  }
  // With standard error full, closed or a pipe without a reader nothing more can be said: the
  // notes on the configuration are lost, and the report and the status stand.
  std::string notes;
  for (int mtu = 1; mtu <= 15; ++mtu) notes += "net.slp.mtu = " + std::to_string(mtu) + "\n";
  const TempFile config(notes + "net.slp.useScopes = " + std::string(69980, 's') + "\n");
  const std::vector<std::string> environment{"OpenSLPConfig=" + config.path()};
  const std::string report = runProgram(TOLVANE_BINARY, {"-OPCDTNSR"}, environment).out;
  for (const auto& [command, status, out] :
       {std::tuple{program + " -x 2>/dev/full", 1, std::string()},
        {program + " -x 2>&-", 1, ""},
        {program + " -O >/dev/full 2>/dev/full", 255, ""},
        {program + " -O >&- 2>&-", 255, ""},
        {program + " -OPCDTNSR 2>&4", 0, report},
        {program + " -O >/dev/full 2>&4", 255, ""}}) {
    const ProcessResult result = runShell(noReader + "exec " + command, environment);
    EXPECT_EQ(std::tuple(status, 0, out), std::tuple(result.exitStatus, result.signal, result.out))
        << command;
  }
}

}  // namespace
