// traffic_counters.h: the sixteen totals of one /proc/net/dev device line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

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

// How a scan of the counter file ended. Only kFound fills the counters.
enum class CounterScan {
  kFound,        // the device's line, with its sixteen numbers
  kNotFound,     // the file ended without a line for the device
  kWrongFormat,  // a line without a name before a colon came first
  kShortLine,    // the device's line holds fewer than sixteen numbers
  kOutOfMemory,  // a line too long for the memory left
};

// Reads the file open on descriptor `file` from where it stands: two title lines, then device
// lines until the first whose name is `device`, which wins; the file is read in chunks and no
// further than the chunk that holds that line. `buffer` (malloc'd, may be null) and `capacity`
// are the caller's, grown when a line does not fit and kept for the next scan.
CounterScan scanTrafficCounters(int file, std::string_view device, char*& buffer,
                                std::size_t& capacity, TrafficCounters& counters);
