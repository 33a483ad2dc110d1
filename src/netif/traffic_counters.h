// traffic_counters.h: the sixteen totals of one /proc/net/dev device line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// Reads `file` from where it stands: two title lines, then device lines until the first whose
// name is `device`, which wins; the lines after it are never read. `lineBuffer` (malloc'd,
// may be null) and `lineCapacity` are the caller's, grown as getline(3) grows them and kept
// for reuse.
CounterScan scanTrafficCounters(std::FILE* file, std::string_view device, char*& lineBuffer,
                                std::size_t& lineCapacity, TrafficCounters& counters);
