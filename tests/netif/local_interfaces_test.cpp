// The local interface section of the running program, on interfaces made in namespaces.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/network_namespace.h"
#include "support/process.h"
#include "support/report_text.h"
#include "support/temp_file.h"

namespace {

const std::string& banner = kBanner;

struct Block {
  std::string name, address, mac, netmask;
  bool up, broadcast, multicast;
  int mtu;
  std::vector<std::uint64_t> counters;  // the device's sixteen columns
};

std::string text(const Block& b) {
  const auto yesNo = [](bool value) { return value ? "YES" : "NO"; };
  return "\nLocal Interface\t\t" + b.name + "\n" + std::string(34, '-') + "\nIP address\t\t\t\t" +
         b.address + "\nMAC address\t\t\t\t" + b.mac + "\nNetwork Mask\t\t\t\t" + b.netmask +
         "\nOperational state\t\t\t" + (b.up ? "UP" : "DOWN") + "\nBroadcast address valid\t\t\t" +
         yesNo(b.broadcast) + "\nSupports multicast\t\t\t" + yesNo(b.multicast) +
         "\nMaximum transmission unit\t\t" + std::to_string(b.mtu) +
         "\nTotal packets:\t\t\t\tOut: " + std::to_string(b.counters[9]) +
         "\tIn: " + std::to_string(b.counters[1]) +
         "\nTotal bytes:\t\t\t\tOut: " + std::to_string(b.counters[8]) +
         "\tIn: " + std::to_string(b.counters[0]) + "\n";
}

ProcessResult tolvane(const std::vector<std::string>& switches) {
  return runProgram(TOLVANE_BINARY, switches);
}

// A tap device, down, with a fixed hardware address and one IPv4 address.
std::string tap(const std::string& name, const std::string& address, const std::string& mac) {
  return "ip tuntap add dev " + name + " mode tap && ip link set " + name + " address " + mac +
         " && ip addr add " + address + " dev " + name + " && ";
}

const std::vector<std::uint64_t> zeros(16, 0);

// Runs the program with `switches` on `contents` in place of /proc/net/dev and counts in
// `opens` how often it opened that file. /proc/net resolves through the reading process, so a
// mount over its own net directory, in a mount namespace of its own, shows it the crafted file.
ProcessResult tolvaneOnCounterFile(const std::string& contents, const std::string& switches,
                                   int& opens) {
  const TempDir directory;
  const std::string dev = directory.write("dev", contents);
  // Closes are watched too: inotify merges an event into an unread one just like it.
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  EXPECT_LE(0, inotify_add_watch(watch, dev.c_str(), IN_OPEN | IN_CLOSE_NOWRITE));

  const ProcessResult run =
      runShell("unshare -m sh -c 'mount --bind " + directory.path() + " /proc/$$/net && exec " +
               TOLVANE_BINARY + " " + switches + "'");
  inotify_event events[16];  // a watch on a file names no file: each event is this long
  const ssize_t got = read(watch, events, sizeof events);
  opens = static_cast<int>(std::count_if(events,
                                         events + std::max<ssize_t>(0, got) / sizeof(inotify_event),
                                         [](const inotify_event& e) { return e.mask & IN_OPEN; }));
  close(watch);
  return run;
}

using LocalInterfaces = NamespaceTest;

TEST_F(LocalInterfaces, PrintsEveryRowOfEachEthInterface) {
  ASSERT_TRUE(spaces.addVethWithTraffic("eth0", "10.7.0.1", 12));
  ASSERT_TRUE(shell("ip link set eth0 mtu 1400 address 02:00:00:00:00:01 && " +
                    tap("eth1", "10.9.8.7/20", "02:00:00:00:00:02") +
                    "ip link set eth1 mtu 9000 multicast off && ip tuntap add dev eth2 mode tun"
                    " && ip addr add 10.0.0.7/32 dev eth2"));
  const Block eth0{"eth0", "10.7.0.1", "02:00:00:00:00:01",   "255.255.255.0", true, true,
                   true,   1400,       deviceCounters("eth0")};
  const Block eth1{"eth1", "10.9.8.7", "02:00:00:00:00:02",   "255.255.240.0", false, true,
                   false,  9000,       deviceCounters("eth1")};
  // A tun device has neither a broadcast address nor a hardware address.
  const Block eth2{"eth2", "10.0.0.7", "00:00:00:00:00:00",   "255.255.255.255", false, false,
                   true,   1500,       deviceCounters("eth2")};
  ASSERT_GE(eth0.counters.at(9), 12u) << "datagrams sent on eth0";

  const ProcessResult run = tolvane({"-I"});
  EXPECT_EQ(banner + text(eth0) + text(eth1) + text(eth2), run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.exitStatus);
}

TEST_F(LocalInterfaces, ReportsOnlyNamesBeginningWithEth) {
  ASSERT_TRUE(shell("ip link set lo up && " + tap("wlan0", "10.2.0.1/24", "02:00:00:00:00:01") +
                    tap("ETH0", "10.2.1.1/24", "02:00:00:00:00:02") +
                    tap("etx0", "10.2.4.1/24", "02:00:00:00:00:06") +
                    tap("eth", "10.2.2.1/24", "02:00:00:00:00:03") +
                    // a label that names no device: its requests find none
                    "ip addr add 10.2.2.9/24 dev eth label eth7 && " +
                    tap("eth456789abcdef", "10.2.3.1/24", "02:00:00:00:00:04") + "true"));
  ASSERT_TRUE(spaces.addVethWithTraffic("eth0", "10.7.0.1", 3));
  ASSERT_TRUE(
      shell("ip link set eth0 address 02:00:00:00:00:05 && "
            "ip addr add 10.7.0.9/24 dev eth0 label eth0:1 && "
            "ip addr add 10.7.0.10/24 dev eth0 label eth0:1:2 && "
            // a label's second address gets a block, and so does another label's address; the
            // label's first address again, with another prefix, none: the kernel answers by
            // label and address for the first record only
            "ip addr add 10.7.0.11/24 dev eth0 label eth0:1 && ip addr add 10.7.0.1/24 dev eth && "
            "ip addr add 10.7.0.1/16 dev eth0 && ip addr add 10.7.0.9/16 dev eth0 label eth0:1"));
  const std::vector<std::uint64_t> eth0Counters = deviceCounters("eth0");

  const ProcessResult run = tolvane({"-I"});
  EXPECT_EQ(banner +
                text({"eth", "10.2.2.1", "02:00:00:00:00:03", "255.255.255.0", false, true, true,
                      1500, zeros}) +
                text({"eth", "10.7.0.1", "02:00:00:00:00:03", "255.255.255.0", false, true, true,
                      1500, zeros}) +
                text({"eth456789abcdef", "10.2.3.1", "02:00:00:00:00:04", "255.255.255.0", false,
                      true, true, 1500, zeros}) +
                text({"eth0", "10.7.0.1", "02:00:00:00:00:05", "255.255.255.0", true, true, true,
                      1500, eth0Counters}) +
                text({"eth0:1", "10.7.0.9", "02:00:00:00:00:05", "255.255.255.0", true, true, true,
                      1500, eth0Counters}) +
                // the device is the label up to its first colon
                text({"eth0:1:2", "10.7.0.10", "02:00:00:00:00:05", "255.255.255.0", true, true,
                      true, 1500, eth0Counters}) +
                text({"eth0:1", "10.7.0.11", "02:00:00:00:00:05", "255.255.255.0", true, true, true,
                      1500, eth0Counters}),
            run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.exitStatus);

  ASSERT_TRUE(shell("ip link del eth0 && ip link del eth && ip link del eth456789abcdef"));
  EXPECT_EQ(banner, tolvane({"-I"}).out) << "no eth interface, not even an empty line";
  // Nor is the counter file read for them: a broken one ends no run.
  if (runShell("unshare -m true").exitStatus != 0) {
    GTEST_SKIP() << "mount namespaces are not permitted here (unshare -m failed)";
  }
  int opens = 0;
  const ProcessResult unread = tolvaneOnCounterFile("Inter-|\n face |\nbroken\n", "-I", opens);
  EXPECT_EQ(std::tuple(banner, 0, 0), std::tuple(unread.out, unread.exitStatus, opens))
      << unread.err;
}

TEST_F(LocalInterfaces, NamesWhatTheEthRuleLeftOutOnATerminalOnly) {
  ASSERT_TRUE(shell("ip link add enp0s1 type veth peer name far && ip link set far netns " +
                    spaces.peer() + " && ip addr add 10.7.0.1/24 dev enp0s1"));
  const std::string hint =
      "tolvane: the interface section shows only names that begin with \"eth\"; not shown: ";
  const std::string manual = " (see LIMITS AND CAVEATS in man tolvane)\r\n";
  // Standard output to /dev/null, so that the terminal carries standard error alone: one line,
  // though -A -I runs the section twice.
  const std::string onTerminal =
      std::string("script -qec \"'") + TOLVANE_BINARY + "' -A -I >/dev/null\" /dev/null";
  EXPECT_EQ(hint + "enp0s1" + manual, runShell(onTerminal).out);
  const ProcessResult toFile = tolvane({"-I"});
  EXPECT_EQ(std::tuple(banner, "", 0), std::tuple(toFile.out, toFile.err, toFile.exitStatus));

  // Each name once, in listing order, and eight at most.
  ASSERT_TRUE(
      shell("ip addr add 10.7.1.1/24 dev enp0s1 && for i in $(seq 9); do "
            "ip tuntap add dev wl$i mode tap && ip addr add 10.8.$i.1/24 dev wl$i; done"));
  EXPECT_EQ(hint + "enp0s1, wl1, wl2, wl3, wl4, wl5, wl6, wl7, ... and 2 more" + manual,
            runShell(onTerminal).out);
}

TEST_F(LocalInterfaces, ComesLastAndOncePerRequest) {
  ASSERT_TRUE(shell(tap("eth0", "10.1.0.1/24", "02:00:00:00:00:01") + "true"));
  const std::string section = text(
      {"eth0", "10.1.0.1", "02:00:00:00:00:01", "255.255.255.0", false, true, true, 1500, zeros});
  const std::string parameters = tolvane({"-O"}).out.substr(banner.size());
  ASSERT_FALSE(parameters.empty());

  EXPECT_EQ(banner + parameters + section, tolvane({"-I", "-O"}).out);
  EXPECT_EQ(banner + parameters + section, tolvane({"-O", "-I"}).out);

  const std::string all = tolvane({"-A"}).out;
  ASSERT_GT(all.size(), banner.size() + section.size());
  EXPECT_EQ(section, all.substr(all.size() - section.size())) << "-A ends with the section";
  EXPECT_EQ(banner + section + all.substr(banner.size()), tolvane({"-A", "-I"}).out);

  // Each section's socket is closed before the next is opened, and the last before the exit.
  // With standard error closed, /dev/null takes descriptor 2 before the program opens anything.
  const TempDir directory;
  const std::string trace = directory.path("trace");
  ASSERT_EQ(0, runShell("strace -qq -e trace=openat,socket,close -o " + trace + " " +
                            TOLVANE_BINARY + " -A -I >/dev/null 2>&-",
                        {"ASAN_OPTIONS=detect_leaks=0",
                         "OpenSLPConfig=" + directory.write("slp.conf", "net.slp.MTU = 900\n")})
                   .exitStatus);
  std::ifstream calls(trace);
  int sockets = 0;
  std::string open;       // the descriptor of the socket open
  std::string lastOnTwo;  // the last call that got descriptor 2
  for (std::string call; std::getline(calls, call);) {
    if (call.size() > 4 && call.compare(call.size() - 4, 4, " = 2") == 0) lastOnTwo = call;
    if (call.rfind("socket(", 0) == 0) {
      EXPECT_EQ("", open) << "still open at " << call;
      open = call.substr(call.rfind(' ') + 1);
      ++sockets;
    } else if (call.rfind("close(" + open + ")", 0) == 0) {
      open.clear();
    }
  }
  EXPECT_EQ(2, sockets);
  EXPECT_EQ("", open) << "open at the exit";
  EXPECT_EQ(0u, lastOnTwo.rfind("openat(AT_FDCWD, \"/dev/null\"", 0)) << lastOnTwo;
}

TEST_F(LocalInterfaces, ShowsControlBytesOfNamesAndValuesAsQuestionMarksOnATerminal) {
  // A label may hold what a device name cannot: a newline and a bidirectional override.
  ASSERT_TRUE(shell(
      "ip tuntap add dev \"$(printf 'eth\\033[31mX')\" mode tap && "
      "ip addr add 10.1.0.1/24 dev \"$(printf 'eth\\033[31mX')\" && ip addr add 10.1.0.2/24 "
      "dev \"$(printf 'eth\\033[31mX')\" label \"$(printf 'eth\\033[31mX:\\n\\342\\200\\256')\""));
  // C1 controls alone and in UTF-8, bidirectional controls, the line and paragraph separators,
  // invalid UTF-8 (one '?' a byte: overlong, surrogate, past U+10FFFF, cut short), the edges of
  // each range of characters that print nothing (format characters, variation selectors, tags,
  // noncharacters), then printable UTF-8 of two, three and four bytes, combining marks and
  // private use among them.
  const std::string invisible =
      "\u00ad\u034f\u0600\u0605\u06dd\u070f\u08e2\u180b\u180f\u200b\u200d\u2060\u2064\u206a"
      "\u206f\ufdd0\ufdef\ufe00\ufe0f\ufeff\ufff9\ufffb\ufffe\uffff\U0001fffe\U0010ffff"
      "\U000110bd\U000110cd\U00013430\U0001343f\U0001bca0\U0001bca3\U0001d173\U0001d17a"
      "\U000e0000\U000e007f\U000e0100\U000e01ef";
  const std::string printable =
      "\xc3\xa9\xc3\x9c\xe6\x97\xa5\xf0\x9f\x98\x80\u034e\u0350\u0606\u200a\u2010\ue000"
      "\ufdcf\ufdf0\ufe10\ufffc\U0001d172\U0001d17b";
  const std::string odd =
      "a\x9b|\x85|\xc2\x9b|\xe2\x80\xae|\xe2\x81\xa6|\xe2\x80\xa8|\xe2\x80\xa9|\xff\xfe|\xc0\xaf|"
      "\xe0\x9f\xbf|\x80|\xed\xa0\x80|\xf4\x90\x80\x80|\xe2\x80|"
      // the last C1 control, the last isolate, the last surrogate, a four-byte overlong, a
      // lead byte where a continuation belongs, the highest code point (a noncharacter: one '?',
      // not one a byte)
      "\xc2\x9f|\xe2\x81\xa9|\xed\xbf\xbf|\xf0\x8f\xbf\xbf|\xc3\xc3\xa9|\xf4\x8f\xbf\xbf|" +
      invisible + "|" + printable;
  const TempFile config(
      "net.slp.useScopes = a\x1b[2Jb\x1b]0;T\ac\nnet.slp.MTU = 5\rX\n"
      "net.slp.DAAddresses = " +
      odd + "\n");
  const std::string program = std::string("'") + TOLVANE_BINARY + "' -O -P -I";
  const struct {
    std::string command;
    std::vector<std::string> lines;
  } cases[] = {
      // Into a file the values go byte for byte, and names without their control bytes.
      {program,
       {"Local Interface\t\teth?[31mX\n", "Local Interface\t\teth?[31mX:?\xe2\x80\xae\n",
        "\t\ta\x1b[2Jb\x1b]0;T\ac\n", "\t5\rX bytes\n", "\t\t" + odd + "\n"}},
      // The terminal ends each line with CR LF.
      {"script -qec \"" + program + "\" /dev/null",
       {"Local Interface\t\teth?[31mX\r\n", "Local Interface\t\teth?[31mX:??\r\n",
        "\t\ta?[2Jb?]0;T?c\r\n", "\t5?X bytes\r\n",
        "\t\ta?|?|?|?|?|?|?|??|??|???|?|???|????|??|?|?|???|????|?\xc3\xa9|?|" +
            std::string(38, '?') + "|" + printable + "\r\n"}},
  };
  for (const auto& c : cases) {
    const ProcessResult run = runShell(c.command, {"OpenSLPConfig=" + config.path()});
    EXPECT_EQ(0, run.exitStatus) << c.command;
    for (const std::string& line : c.lines) {
      EXPECT_NE(std::string::npos, run.out.find(line)) << c.command << "\n" << run.out;
    }
  }
}

TEST_F(LocalInterfaces, StopsAtTheInterfaceWhoseProbeFails) {
  if (runShell("unshare -m true").exitStatus != 0) {
    GTEST_SKIP() << "mount namespaces are not permitted here (unshare -m failed)";
  }
  ASSERT_TRUE(shell(tap("eth0", "10.1.0.1/24", "02:00:00:00:00:01") +
                    tap("eth1", "10.1.1.1/24", "02:00:00:00:00:02") + "true"));
  int opens = 0;
  const ProcessResult run = tolvaneOnCounterFile(
      "Inter-|\n face |\n"
      "  eth0: 5000000000 7 0 0 0 0 0 0 6000000000 8 0 0 0 0 0 0\n"
      "this line is broken\n"
      "  eth1: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n",
      "-I", opens);

  const std::vector<std::uint64_t> crafted = {5000000000, 7, 0, 0, 0, 0, 0, 0,
                                              6000000000, 8, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(banner + text({"eth0", "10.1.0.1", "02:00:00:00:00:01", "255.255.255.0", false, true,
                           true, 1500, crafted}),
            run.out);
  EXPECT_EQ("Wrong format of /proc/net/dev. Sorry.\n", run.err);
  EXPECT_EQ(255, run.exitStatus);
  EXPECT_EQ(1, opens) << "eth1 fails on the reading that eth0 took";

  // A directory, a FIFO without a writer or a device in the counter file's place holds no
  // counters, and must not hold the report up: no block, and the reason.
  for (const char* make : {"mkdir dev", "mkfifo dev", "ln -s /dev/null dev"}) {
    const TempDir directory;
    ASSERT_EQ(0, runShell("cd " + directory.path() + " && " + make).exitStatus) << make;
    const ProcessResult refused =
        runShell("timeout 10 unshare -m sh -c 'mount --bind " + directory.path() +
                 " /proc/$$/net && exec " + TOLVANE_BINARY + " -I'");
    EXPECT_EQ(banner, refused.out) << make;
    EXPECT_EQ("Can't open file /proc/net/dev\n", refused.err) << make;
    EXPECT_EQ(255, refused.exitStatus) << make;
  }
}

TEST_F(LocalInterfaces, AClosedStandardOutputFailsAsSuch) {
  // More blocks than the output buffer holds, so that it is written while the socket is open.
  ASSERT_TRUE(
      shell("for i in $(seq 30); do ip tuntap add dev eth$i mode tap && "
            "ip addr add 10.3.$i.1/24 dev eth$i || exit 1; done"));
  const std::string program = std::string("'") + TOLVANE_BINARY + "'";
  const TempDir directory;
  // Standard input closed too: /dev/null takes both descriptors, so neither is left for the
  // socket; with a FIFO in /dev/null's place (a broken chroot) too, without waiting for a writer.
  const std::string fifoNull =
      "mkfifo " + directory.path("null") + " && timeout 10 unshare -m sh -c 'mount --bind " +
      directory.path("null") + " /dev/null && exec " + program + " -I <&- >&-'";
  for (const std::string& command :
       {"exec " + program + " -I >&-", "exec " + program + " -I <&- >&-", fifoNull}) {
    if (command == fifoNull && runShell("unshare -m true").exitStatus != 0) {
      GTEST_SKIP() << "mount namespaces are not permitted here (unshare -m failed)";
    }
    const ProcessResult run = runShell(command);
    EXPECT_EQ("Can't write to standard output: Bad file descriptor\n", run.err) << command;
    EXPECT_EQ(255, run.exitStatus) << command;
  }
}

TEST_F(LocalInterfaces, ReadsTheCounterFileOncePerSection) {
  if (runShell("unshare -m true").exitStatus != 0) {
    GTEST_SKIP() << "mount namespaces are not permitted here (unshare -m failed)";
  }
  ASSERT_TRUE(shell(tap("eth0", "10.1.0.1/24", "02:00:00:00:00:01") +
                    tap("eth1", "10.1.1.1/24", "02:00:00:00:00:02") +
                    tap("eth2", "10.1.2.1/24", "02:00:00:00:00:03") + "true"));
  const std::string dev = "Inter-|\n face |\n  eth0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n";
  // -A -I: the section twice, each with its own reading.
  const struct {
    const char* switches;
    int opens;
  } cases[] = {{"-I", 1}, {"-A -I", 2}};
  for (const auto& c : cases) {
    int opens = 0;
    const ProcessResult run = tolvaneOnCounterFile(dev, c.switches, opens);
    EXPECT_EQ(0, run.exitStatus) << c.switches << "\n" << run.err;
    EXPECT_EQ(c.opens, opens) << c.switches;
  }
}

}  // namespace
