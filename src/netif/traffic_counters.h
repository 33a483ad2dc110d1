// traffic_counters.h: the totals the report shows of one /proc/net/dev device line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// Of the line's sixteen columns (eight receive, then eight transmit) the report shows the first
// two of each direction; the others are checked, never converted.
struct TrafficCounters {
  std::uint64_t rxBytes = 0;    // column 1
  std::uint64_t rxPackets = 0;  // column 2
  std::uint64_t txBytes = 0;    // column 9
  std::uint64_t txPackets = 0;  // column 10
};

// How a lookup in the counter file ended. Only kFound fills the counters.
enum class CounterLookup {
  kFound,          // the device's line, with its sixteen counters
  kNotFound,       // the file ended without a line for the device
  kWrongFormat,    // a line without a name before a colon came first
  kMalformedLine,  // the device's line holds fewer than sixteen fields, or one of its first
                   // sixteen is not a counter: a run of decimal digits whose value fits 64 bits
};

// How a read of the counter file ended. Only kLoaded leaves anything to look up.
enum class CounterLoad {
  kLoaded,       // read to its end
  kCannotOpen,   // missing, unreadable, or not a regular file
  kOutOfMemory,  // the file does not fit in the memory left, or exceeds what a kernel writes
  kReadFailed,   // read(2) failed
};

// The counter file as one read left it, with its device lines indexed by name, so that a
// lookup costs the same for the first device and the thousandth.
class CounterSnapshot {
 public:
  CounterSnapshot() = default;
  ~CounterSnapshot();
  CounterSnapshot(const CounterSnapshot&) = delete;
  CounterSnapshot& operator=(const CounterSnapshot&) = delete;

  // Reads the file open on descriptor `file` from where it stands to its end, replacing what
  // the snapshot held: two title lines, then device lines, indexed up to the first line
  // without a name. Whatever the outcome, nothing of an earlier read is left to find.
  CounterLoad load(int file);
  // Loads the file at `path`, opened without waiting for a writer, when it is a regular file.
  CounterLoad loadFile(const std::string& path);
  // Answers as a scan of the file from its top would: the first line whose name is `device`
  // wins, and a line without a name before it is kWrongFormat.
  CounterLookup find(std::string_view device, TrafficCounters& counters) const;

 private:
  // Reads the whole file into `text`, growing it as needed; kLoaded leaves it NUL-terminated.
  CounterLoad readWhole(int file);
  // Indexes the device lines after the two title lines, up to the first without a name. Memory
  // for the index runs out through the program's new-handler (std::bad_alloc without one).
  void indexLines();

  char* text = nullptr;  // malloc'd; every newline replaced by a NUL, and one after the end
  std::size_t capacity = 0;
  std::size_t size = 0;
  // The counter part of each name's first line.
  std::unordered_map<std::string_view, const char*> countersByDevice;
  bool endsAtWrongLine = false;  // the index stops before the end of the file
};
