// traffic_counters.h: the sixteen totals of one /proc/net/dev device line.
#pragma once
#include <cstdint>

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
