// tolvane_bench.cpp: times tolvane against ip and ifconfig on N veth interfaces in a network
// namespace of its own, and against the least work its design allows at that N.
//
// The runner stays small on purpose: a child's peak resident memory, as wait4(2) reports it,
// includes the memory of the process that started it, so everything that needs memory (the
// floor, the output checks) happens in forked children and the runner itself writes with
// printf only.
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

// ctest reads this status as "skipped".
constexpr int kSkipped = 77;
constexpr int kDefaultRuns = 9;
constexpr int kFloorRequests[] = {SIOCGIFADDR, SIOCGIFNETMASK, SIOCGIFHWADDR, SIOCGIFMTU,
                                  SIOCGIFFLAGS};

struct Tool {
  std::string label;
  std::vector<std::string> argv;  // argv[0] is the program's path
  bool isTolvane = false;
  std::vector<double> milliseconds;
  std::vector<long> peakKib;
};

struct Options {
  int runs = kDefaultRuns;
  std::string tolvane;
  std::string before;  // an earlier build to compare with, or empty
  std::vector<int> counts;
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "tolvane_bench: %s: %s\n", what, std::strerror(errno));
  std::exit(1);
}

double nowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

// The program's path: as given when it holds a slash, else the first match in PATH or in the
// administrator's directories, which PATH may lack.
std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  const std::string directories = std::string(path != nullptr ? path : "") + ":/usr/sbin:/sbin";
  std::size_t begin = 0;
  while (begin <= directories.size()) {
    std::size_t end = directories.find(':', begin);
    if (end == std::string::npos) end = directories.size();
    const std::string candidate = directories.substr(begin, end - begin) + "/" + name;
    if (end > begin && access(candidate.c_str(), X_OK) == 0) return candidate;
    begin = end + 1;
  }
  return "";
}

struct Outcome {
  int status = -1;  // the exit status, or -1 when a signal ended the process
  double milliseconds = 0;
  long peakKib = 0;
};

// Runs argv with the given standard input and output (-1: /dev/null) and waits for it.
Outcome run(const std::vector<std::string>& argv, int input, int output) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) {
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (output >= 0) {
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }

  Outcome outcome;
  const double start = nowMilliseconds();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    errno = spawned;
    fail(args[0]);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) fail("wait4");
  outcome.milliseconds = nowMilliseconds() - start;
  outcome.peakKib = usage.ru_maxrss;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

// Runs `work` in a forked child, so that the memory it takes never counts in the runner's
// own peak; returns the child's exit status.
template <typename Work>
int inChild(Work work) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) fail("fork");
  if (child == 0) _exit(work());
  int status = 0;
  if (waitpid(child, &status, 0) != child) fail("waitpid");
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// The whole text of a file that procfs or a memfd holds; empty when it cannot be read.
std::string readAll(int fd) {
  std::string text;
  char chunk[65536];
  ssize_t got = 0;
  while ((got = pread(fd, chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0) {
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

std::string deviceName(int index) { return "eth" + std::to_string(index); }

// Adds eth<from>..eth<to - 1>: each a veth whose far end (peer<i>) stays in this namespace,
// both ends up, the eth end with 10.<i / 256>.<i % 256>.1/24.
bool addInterfaces(int from, int to) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) fail("pipe");
  const std::string ip = findProgram("ip");
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) fail("fork");
  if (child == 0) {
    close(pipeEnds[1]);
    const Outcome outcome = run({ip, "-batch", "-"}, pipeEnds[0], STDERR_FILENO);
    _exit(outcome.status == 0 ? 0 : 1);
  }
  close(pipeEnds[0]);
  // The peers' names must not begin with "eth": the report leaves them out.
  for (int i = from; i < to; ++i) {
    dprintf(pipeEnds[1], "link add eth%d type veth peer name peer%d\n", i, i);
  }
  for (int i = from; i < to; ++i) {
    dprintf(pipeEnds[1], "addr add 10.%d.%d.1/24 brd + dev eth%d\n", i / 256, i % 256, i);
    dprintf(pipeEnds[1], "link set peer%d up\nlink set eth%d up\n", i, i);
  }
  close(pipeEnds[1]);
  int status = 0;
  if (waitpid(child, &status, 0) != child) fail("waitpid");
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The design's least work for N interfaces, in milliseconds: for each one, /proc/net/dev read
// to the end of its middle line (one read(2) into a buffer just that long), then one socket
// and the probe's five interface requests.
int measureFloor(int count, int resultFd) {
  const int whole = open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
  if (whole < 0) return 1;
  const std::string text = readAll(whole);
  close(whole);
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  std::size_t middleEnd = 0;
  for (std::size_t line = 0; line <= lines / 2; ++line) middleEnd = text.find('\n', middleEnd) + 1;
  std::vector<char> buffer(middleEnd);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(deviceName(i));

  const double start = nowMilliseconds();
  for (const std::string& name : names) {
    const int file = open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
    if (file < 0) return 1;
    std::size_t got = 0;
    ssize_t chunk = 0;
    while (got < middleEnd && (chunk = read(file, buffer.data() + got, middleEnd - got)) > 0) {
      got += static_cast<std::size_t>(chunk);
    }
    close(file);

    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket < 0) return 1;
    ifreq request{};
    std::memcpy(request.ifr_name, name.c_str(), name.size());
    for (const int code : kFloorRequests) {
      if (ioctl(socket, static_cast<unsigned long>(code), &request) < 0) return 1;
    }
    close(socket);
  }
  const double elapsed = nowMilliseconds() - start;
  return write(resultFd, &elapsed, sizeof elapsed) == sizeof elapsed ? 0 : 1;
}

double floorMilliseconds(int count) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) fail("pipe");
  const int status = inChild([&] { return measureFloor(count, pipeEnds[1]); });
  close(pipeEnds[1]);
  double elapsed = -1;
  if (status != 0 || read(pipeEnds[0], &elapsed, sizeof elapsed) != sizeof elapsed) elapsed = -1;
  close(pipeEnds[0]);
  return elapsed;
}

std::size_t countOccurrences(const std::string& text, const std::string& what) {
  std::size_t found = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++found;
  }
  return found;
}

std::string outputOf(const std::vector<std::string>& argv, int& status) {
  const int memory = memfd_create("tolvane-bench-output", MFD_CLOEXEC);
  if (memory < 0) fail("memfd_create");
  status = run(argv, -1, memory).status;
  std::string text = readAll(memory);
  close(memory);
  return text;
}

// The warm-up: every tool once, each must succeed; tolvane -I must show all N interfaces, and
// an earlier build, when given, must print the very same bytes.
bool warmUp(const std::vector<Tool>& tools, int count) {
  return inChild([&] {
           bool good = true;
           std::string current[2];
           for (const Tool& tool : tools) {
             int status = 0;
             const std::string output = outputOf(tool.argv, status);
             if (status != 0) {
               std::fprintf(stderr, "tolvane_bench: %s ended with status %d\n", tool.label.c_str(),
                            status);
               good = false;
             }
             if (!tool.isTolvane) continue;
             const int slot = tool.argv.back() == "-I" ? 0 : 1;
             const std::size_t blocks = countOccurrences(output, "\nLocal Interface\t\teth");
             if (blocks != static_cast<std::size_t>(count)) {
               std::fprintf(stderr, "tolvane_bench: %s shows %zu interfaces, not %d\n",
                            tool.label.c_str(), blocks, count);
               good = false;
             }
             if (current[slot].empty()) {
               current[slot] = output;
             } else if (output != current[slot]) {
               std::fprintf(stderr, "tolvane_bench: %s prints other bytes than %s\n",
                            tool.label.c_str(), tools[slot].label.c_str());
               good = false;
             }
           }
           return good ? 0 : 1;
         }) == 0;
}

void printRatio(const Tool& ours, const Tool& theirs) {
  std::printf("  %-28s %-28s %8.3f %8.3f\n", ours.label.c_str(), theirs.label.c_str(),
              median(ours.milliseconds) / median(theirs.milliseconds),
              static_cast<double>(median(ours.peakKib)) / median(theirs.peakKib));
}

bool benchmark(std::vector<Tool>& tools, int count, int runs) {
  if (!warmUp(tools, count)) return false;
  std::vector<double> floors;
  for (Tool& tool : tools) {
    tool.milliseconds.clear();
    tool.peakKib.clear();
  }
  for (int round = 0; round < runs; ++round) {
    for (Tool& tool : tools) {
      const Outcome outcome = run(tool.argv, -1, -1);
      if (outcome.status != 0) {
        std::fprintf(stderr, "tolvane_bench: %s ended with status %d\n", tool.label.c_str(),
                     outcome.status);
        return false;
      }
      tool.milliseconds.push_back(outcome.milliseconds);
      tool.peakKib.push_back(outcome.peakKib);
    }
    floors.push_back(floorMilliseconds(count));
    if (floors.back() < 0) {
      std::fprintf(stderr, "tolvane_bench: the floor could not be measured at N = %d\n", count);
      return false;
    }
  }

  const double floor = median(floors);
  std::printf("\nN = %d: eth0..eth%d, %d run%s each after a warm-up, interleaved\n", count,
              count - 1, runs, runs == 1 ? "" : "s");
  std::printf("  %-28s %12s %14s\n", "tool", "median ms", "peak RSS KiB");
  for (const Tool& tool : tools) {
    std::printf("  %-28s %12.3f %14ld\n", tool.label.c_str(), median(tool.milliseconds),
                median(tool.peakKib));
  }
  std::printf("  %-28s %12.3f %14s\n", "floor of the design", floor, "-");
  std::printf("  %-28s %-28s %8s %8s\n", "ratio", "to", "time", "RSS");
  for (const Tool& ours : tools) {
    if (!ours.isTolvane) continue;
    for (const Tool& theirs : tools) {
      if (&theirs != &ours && !theirs.isTolvane) printRatio(ours, theirs);
    }
    for (const Tool& theirs : tools) {
      // The earlier build is compared with the current one, switch for switch.
      if (&theirs != &ours && theirs.isTolvane && theirs.argv.back() == ours.argv.back() &&
          &ours < &theirs) {
        printRatio(ours, theirs);
      }
    }
    std::printf("  %-28s %-28s %8.3f %8s\n", ours.label.c_str(), "floor of the design",
                median(ours.milliseconds) / floor, "-");
  }
  std::fflush(stdout);
  return true;
}

void usage() {
  std::fprintf(stderr,
               "usage: tolvane_bench --tolvane PATH [--before PATH] [--runs R] N...\n"
               "  times tolvane -I, tolvane -A, ip -s -4 addr show and ifconfig -a on N veth\n"
               "  interfaces eth0..eth(N-1) in a network namespace of its own (needs root)\n");
}

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--tolvane" && hasValue) {
      options.tolvane = argv[++i];
    } else if (arg == "--before" && hasValue) {
      options.before = argv[++i];
    } else if (arg == "--runs" && hasValue) {
      options.runs = std::atoi(argv[++i]);
    } else if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos) {
      options.counts.push_back(std::atoi(arg.c_str()));
    } else {
      return false;
    }
  }
  std::sort(options.counts.begin(), options.counts.end());
  return !options.tolvane.empty() && options.runs > 0 && !options.counts.empty() &&
         options.counts.front() > 0 && options.counts.back() <= 65536;
}

std::vector<Tool> makeTools(const Options& options) {
  std::vector<Tool> tools;
  for (const char* section : {"-I", "-A"}) {
    tools.push_back({std::string("tolvane ") + section, {options.tolvane, section}, true, {}, {}});
  }
  if (!options.before.empty()) {
    for (const char* section : {"-I", "-A"}) {
      tools.push_back(
          {std::string("tolvane before ") + section, {options.before, section}, true, {}, {}});
    }
  }
  tools.push_back(
      {"ip -s -4 addr show", {findProgram("ip"), "-s", "-4", "addr", "show"}, false, {}, {}});
  tools.push_back({"ifconfig -a", {findProgram("ifconfig"), "-a"}, false, {}, {}});
  return tools;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    usage();
    return 2;
  }
  std::vector<Tool> tools = makeTools(options);
  for (const Tool& tool : tools) {
    if (tool.argv[0].empty() || access(tool.argv[0].c_str(), X_OK) != 0) {
      std::fprintf(stderr, "tolvane_bench: %s: no such program (run scripts/setup)\n",
                   tool.label.c_str());
      return 1;
    }
  }

  // Everything made below lives in this namespace and goes with the process.
  if (unshare(CLONE_NEWNET) != 0) {
    std::printf("skipped: network namespaces are not permitted here: %s\n", std::strerror(errno));
    return kSkipped;
  }
  // No IPv6 chatter moves the counters or takes the processor during the runs.
  for (const char* path : {"/proc/sys/net/ipv6/conf/default/disable_ipv6",
                           "/proc/sys/net/ipv6/conf/all/disable_ipv6"}) {
    const int file = open(path, O_WRONLY | O_CLOEXEC);
    if (file < 0) continue;
    (void)!write(file, "1\n", 2);
    close(file);
  }

  int made = 0;
  for (const int count : options.counts) {
    const double start = nowMilliseconds();
    if (!addInterfaces(made, count)) {
      std::fprintf(stderr, "tolvane_bench: ip could not make eth%d..eth%d\n", made, count - 1);
      return 1;
    }
    std::fprintf(stderr, "tolvane_bench: made eth%d..eth%d in %.0f ms\n", made, count - 1,
                 nowMilliseconds() - start);
    made = count;
    if (!benchmark(tools, count, options.runs)) return 1;
  }
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf(
      "\nPeak RSS is wait4's ru_maxrss, which counts the runner's own memory when it started the\n"
      "tool too: the runner reached %ld KiB at most.\n"
      "The floor: N x (/proc/net/dev read to its middle line + one socket and five interface\n"
      "requests), measured in process between the rounds.\n",
      self.ru_maxrss);
  return 0;
}
