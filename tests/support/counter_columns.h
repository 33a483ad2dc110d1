// counter_columns.h: the sixteen totals of a TrafficCounters in the file's column order.
#pragma once
#include <cstdint>
#include <vector>

#include "netif/traffic_counters.h"

inline std::vector<std::uint64_t> counterColumns(const TrafficCounters& c) {
  return {c.rxBytes,      c.rxPackets,    c.rxErrors,  c.rxDropped,   c.rxFifo,   c.rxFrame,
          c.rxCompressed, c.rxMulticast,  c.txBytes,   c.txPackets,   c.txErrors, c.txDropped,
          c.txFifo,       c.txCollisions, c.txCarrier, c.txCompressed};
}
