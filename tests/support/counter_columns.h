// counter_columns.h: the totals of a TrafficCounters in the file's column order.
#pragma once
#include <cstdint>
#include <vector>

#include "netif/traffic_counters.h"

inline std::vector<std::uint64_t> counterColumns(const TrafficCounters& c) {
  return {c.rxBytes, c.rxPackets, c.txBytes, c.txPackets};
}
