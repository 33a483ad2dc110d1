// The counter reader on crafted files in place of /proc/net/dev.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "netif/interface_table.h"
#include "support/counter_columns.h"
#include "support/memory_limit.h"
#include "support/temp_file.h"

namespace {

const std::string header =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

// One device line whose sixteen columns count up from `first`.
std::string row(const std::string& name, std::uint64_t first, const std::string& tail = "\n") {
  std::string line = name + ":";
  for (std::uint64_t i = 0; i < 16; ++i) line += " " + std::to_string(first + i);
  return line + tail;
}

// `count` device lines of other devices, of varied lengths.
std::string manyRows(int count) {
  std::string rows;
  for (int i = 0; i < count; ++i) rows += row("peer" + std::to_string(i), 1000000 * i);
  return rows;
}

// The columns a TrafficCounters holds of a line that row() made: the first two of each
// direction.
std::vector<std::uint64_t> countingFrom(std::uint64_t first) {
  return {first, first + 1, first + 8, first + 9};
}

const std::vector<std::uint64_t> zeros(4, 0);

class ReadTrafficCounters : public testing::Test {
 protected:
  std::string path() const { return directory.path("dev"); }
  void write(const std::string& contents) { std::ofstream(path(), std::ios::binary) << contents; }
  KernelAccess access() const {
    KernelAccess kernel;
    kernel.countersPath = path();
    return kernel;
  }
  std::vector<std::uint64_t> read(const std::string& interface) {
    InterfaceTable table(access());
    table.setName(interface);
    table.readTrafficCounters();
    return counterColumns(table.trafficCounters());
  }

  TempDir directory;
};

TEST_F(ReadTrafficCounters, FindsTheInterfacesLine) {
  const std::string wide(300, ' ');
  const std::string max = "18446744073709551615";
  std::string maxRow = "eth0:";
  for (int i = 0; i < 16; ++i) maxRow += " " + max;
  const struct {
    const char* what;
    std::string contents;
    const char* name;
    std::vector<std::uint64_t> expected;
  } cases[] = {
      {"first match", header + row("lo", 100) + row("eth0", 200) + row("eth0", 300), "eth0",
       countingFrom(200)},
      {"blanks before the name", header + row("    lo", 100), "lo", countingFrom(100)},
      {"eth1 is not eth10", header + row("eth10", 100) + row("eth1", 200), "eth1",
       countingFrom(200)},
      {"eth10 is not eth1", header + row("eth1", 100) + row("eth10", 200), "eth10",
       countingFrom(200)},
      {"case counts", header + row("ETH0", 100), "eth0", zeros},
      {"text after the token", header + row("eth0 x", 100), "eth0", countingFrom(100)},
      {"alias uses its device", header + row("eth0", 100) + row("eth1", 200), "eth0:1",
       countingFrom(100)},
      {"no line", header + row("lo", 100), "eth0", zeros},
      {"empty file", "", "eth0", zeros},
      {"header only", header, "eth0", zeros},
      {"headers unexamined", "\n:\n" + row("eth0", 100), "eth0", countingFrom(100)},
      {"17th number and trailing text", header + row("eth0", 100, " 999 text\nno colon\n"), "eth0",
       countingFrom(100)},
      {"long line before", header + "lo:" + wide + "1\n" + row("eth0", 100), "eth0",
       countingFrom(100)},
      {"long header", wide + "\n" + wide + "\n" + row("eth0", 100), "eth0", countingFrom(100)},
      {"long matching line", header + row("eth0", 100, wide + "\n"), "eth0", countingFrom(100)},
      {"last line without newline", header + row("lo", 100) + row("eth0", 200, ""), "eth0",
       countingFrom(200)},
      {"above 32 bits", header + row("eth0", 4294967295), "eth0", countingFrom(4294967295)},
      {"2^64-1", header + maxRow + "\n", "eth0",
       std::vector<std::uint64_t>(4, 18446744073709551615u)},
      {"15-character name", header + row("eth456789abcdef", 100), "eth456789abcdef",
       countingFrom(100)},
      {"16-character token never matches", header + row("eth456789abcdefX", 100), "eth456789abcdef",
       zeros},
      {"16-character name never matches", header + row("eth456789abcdefX", 100), "eth456789abcdefX",
       zeros},
      // Lines longer than one read, and lines that straddle the end of one.
      {"very long line before", header + "lo:" + std::string(10000, ' ') + "1\n" + row("eth0", 100),
       "eth0", countingFrom(100)},
      {"very long matching line", header + row("eth0", 100, std::string(10000, ' ') + "\n"), "eth0",
       countingFrom(100)},
      {"far down a long file", header + manyRows(500) + row("eth0", 100) + manyRows(5), "eth0",
       countingFrom(100)},
      {"long file without it", header + manyRows(500), "eth0", zeros},
  };
  for (const auto& c : cases) {
    write(c.contents);
    EXPECT_EQ(c.expected, read(c.name)) << c.what;
  }
}

TEST_F(ReadTrafficCounters, ClearsTheCountersOfTheInterfaceBefore) {
  write(header + row("eth0", 100));
  InterfaceTable table(access());
  table.setName("eth0");
  table.readTrafficCounters();
  table.setName("eth1");
  table.readTrafficCounters();
  EXPECT_EQ(zeros, counterColumns(table.trafficCounters()));
}

TEST_F(ReadTrafficCounters, EndsTheRunOnAMalformedFile) {
  const struct {
    std::string contents;
    const char* message;
  } cases[] = {
      {header + "no colon here\n" + row("eth0", 1), "Wrong format of /proc/net/dev. Sorry."},
      {header + "\n" + row("eth0", 1), "Wrong format of /proc/net/dev. Sorry."},
      {header + " \t : 1 2\n" + row("eth0", 1), "Wrong format of /proc/net/dev. Sorry."},
      {header + "eth0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n", "Can't read data from file"},
      {header + "eth0: 1 2 3 4 5 6 7 8 word 10 11 12 13 14 15 16\n", "Can't read data from file"},
      // Counters that are not counters, shown or not: a sign, a value past 64 bits, a suffix.
      {header + "eth0: 1 -1 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n", "Can't read data from file"},
      {header + "eth0: 1 2 +7 4 5 6 7 8 9 10 11 12 13 14 15 16\n", "Can't read data from file"},
      {header + "eth0: 18446744073709551616 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n",
       "Can't read data from file"},
      {header + "eth0: 1 2 3 4 5 6 7 8 9 10 99999999999999999999999 12 13 14 15 16\n",
       "Can't read data from file"},
      {header + "eth0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16x\n", "Can't read data from file"},
  };
  for (const auto& c : cases) {
    write(c.contents);
    EXPECT_EXIT(read("eth0"), testing::ExitedWithCode(255), std::string("^") + c.message + "\n$")
        << c.contents;
  }
  unlink(path().c_str());
  EXPECT_EXIT(read("eth0"), testing::ExitedWithCode(255), "^Can't open file /proc/net/dev\n$");
  // Its first read(2) fails: nothing is ever mapped at address 0.
  ASSERT_EQ(0, symlink("/proc/self/mem", path().c_str()));
  EXPECT_EXIT(read("eth0"), testing::ExitedWithCode(255), "^Can't read data from file\n$");
}

TEST_F(ReadTrafficCounters, EndsTheRunWhenALineOutgrowsMemory) {
  // A line of a gigabyte: the buffer grows with it until memory runs out, and with memory to
  // spare, until the bound that holds on 32-bit systems too, where the file is refused alike.
  write("");
  ASSERT_EQ(0, truncate(path().c_str(), 1 << 30));
  InterfaceTable table(access());
  table.setName("eth0");
  EXPECT_EXIT(table.readTrafficCounters(), testing::ExitedWithCode(255),
              "^Not enough memory to read /proc/net/dev\n$");
  SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT();
  const auto readWithLittleMemory = [&table] {
    limitAddressSpace(64 << 20);
    table.readTrafficCounters();
  };
  EXPECT_EXIT(readWithLittleMemory(), testing::ExitedWithCode(255),
              "^Not enough memory to read /proc/net/dev\n$");
}

TEST(CounterLookup, TellsHowTheLookupEnded) {
  const struct {
    std::string contents;
    CounterLookup outcome;
  } cases[] = {
      {header + row("lo", 1) + row("eth0", 100), CounterLookup::kFound},
      // Shorter than the one before, so eth0's old line still stands in the buffer after it.
      {"", CounterLookup::kNotFound},
      {header + row("lo", 1), CounterLookup::kNotFound},
      {header + "no colon\n" + row("eth0", 100), CounterLookup::kWrongFormat},
      {header + "eth0: 1 2 3\n", CounterLookup::kMalformedLine},
      // A NUL ends the numbers, as it ends a C string.
      {header + "eth0: 1 2 3 4 5 6 7 8" + std::string(1, '\0') + " 9 10 11 12 13 14 15 16\n",
       CounterLookup::kMalformedLine},
  };
  // One snapshot for every case: each load replaces what the one before held.
  CounterSnapshot snapshot;
  TrafficCounters before;
  before.txPackets = 7;
  for (const auto& c : cases) {
    const int file = memfd_create("counters", MFD_CLOEXEC);
    ASSERT_LE(0, file);
    ASSERT_EQ(static_cast<ssize_t>(c.contents.size()),
              pwrite(file, c.contents.data(), c.contents.size(), 0));
    ASSERT_EQ(CounterLoad::kLoaded, snapshot.load(file));
    close(file);
    TrafficCounters counters = before;
    EXPECT_EQ(c.outcome, snapshot.find("eth0", counters)) << c.contents;
    // Only a found line replaces what the caller holds.
    EXPECT_EQ(c.outcome == CounterLookup::kFound ? countingFrom(100) : counterColumns(before),
              counterColumns(counters))
        << c.contents;
  }
}

}  // namespace
