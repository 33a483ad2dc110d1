// traffic_counters.h: the sixteen totals of one /proc/net/dev device line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// In the file's column order: the eight receive columns, then the eight transmit columns.
struct TrafficCounters {
  std::uint64_t rxBytes = 0;
  std::uint64_t rxPackets = 0;
  std::uint64_t rxErrors = 0;
  std::uint64_t rxDropped = 0;
  std::uint64_t rxFifo = 0;
  std::uint64_t rxFrame = 0;
  std::uint64_t rxCompressed = 0;
  std::uint64_t rxMulticast = 0;
  std::uint64_t txBytes = 0;
  std::uint64_t txPackets = 0;
  std::uint64_t txErrors = 0;
  std::uint64_t txDropped = 0;
  std::uint64_t txFifo = 0;
  std::uint64_t txCollisions = 0;
  std::uint64_t txCarrier = 0;
  std::uint64_t txCompressed = 0;
};

// How a lookup in the counter file ended. Only kFound fills the counters.
enum class CounterLookup {
  kFound,        // the device's line, with its sixteen numbers
  kNotFound,     // the file ended without a line for the device
  kWrongFormat,  // a line without a name before a colon came first
  kShortLine,    // the device's line holds fewer than sixteen numbers
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
