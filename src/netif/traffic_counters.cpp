// traffic_counters.cpp: finds an interface's line in /proc/net/dev and takes its sixteen totals.
#include "netif/traffic_counters.h"

#include <libintl.h>
#include <sys/types.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "netif/interface_table.h"
#include "netif/system_error.h"

namespace {

// Interface names are at most this long; a longer token in the file names no interface.
constexpr std::size_t kMaxNameLength = IFNAMSIZ - 1;
constexpr int kCounterColumns = 16;

// The file lists devices, not aliases: eth0:1 counts on eth0's line.
std::string_view deviceName(const std::string& interfaceName) {
  const std::string_view name(interfaceName);
  return name.substr(0, name.find(':'));
}

// The first white-space-delimited word of the name part, or an empty view when it has none.
std::string_view firstToken(std::string_view namePart) {
  std::size_t begin = 0;
  while (begin < namePart.size() && std::isspace(static_cast<unsigned char>(namePart[begin]))) {
    ++begin;
  }
  std::size_t end = begin;
  while (end < namePart.size() && !std::isspace(static_cast<unsigned char>(namePart[end]))) ++end;
  return namePart.substr(begin, end - begin);
}

// Reads the first sixteen numbers of a NUL-terminated counter part, each after any white
// space, in column order; whatever follows them is ignored. False when fewer are there.
bool parseCounters(const char* text, TrafficCounters& counters) {
  // The numbers are written through these pointers; cppcheck takes them for read-only.
  // cppcheck-suppress constVariable
  std::uint64_t* const fields[kCounterColumns] = {
      &counters.rxBytes, &counters.rxPackets,    &counters.rxErrors,     &counters.rxDropped,
      &counters.rxFifo,  &counters.rxFrame,      &counters.rxCompressed, &counters.rxMulticast,
      &counters.txBytes, &counters.txPackets,    &counters.txErrors,     &counters.txDropped,
      &counters.txFifo,  &counters.txCollisions, &counters.txCarrier,    &counters.txCompressed};
  for (std::uint64_t* field : fields) {
    char* end = nullptr;
    *field = std::strtoull(text, &end, 10);
    if (end == text) return false;
    text = end;
  }
  return true;
}

// Closes the counter file on every way out of the scan that returns. The file was only read,
// so closing it cannot lose anything.
struct FileCloser {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

}  // namespace

CounterScan scanTrafficCounters(std::FILE* file, std::string_view device, char*& lineBuffer,
                                std::size_t& lineCapacity, TrafficCounters& counters) {
  // Two title lines come first; once a read fails, every later read fails too.
  getline(&lineBuffer, &lineCapacity, file);
  getline(&lineBuffer, &lineCapacity, file);

  for (;;) {
    errno = 0;
    const ssize_t read = getline(&lineBuffer, &lineCapacity, file);
    if (read < 0) return errno == ENOMEM ? CounterScan::kOutOfMemory : CounterScan::kNotFound;
    std::string_view line(lineBuffer, static_cast<std::size_t>(read));
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);

    const std::size_t colon = line.find(':');
    const std::string_view token =
        colon == std::string_view::npos ? std::string_view() : firstToken(line.substr(0, colon));
    if (token.empty()) return CounterScan::kWrongFormat;
    if (token.size() > kMaxNameLength || token != device) continue;

    TrafficCounters found;
    if (!parseCounters(lineBuffer + colon + 1, found)) return CounterScan::kShortLine;
    counters = found;
    return CounterScan::kFound;
  }
}

void InterfaceTable::readTrafficCounters() {
  // A name without a line of its own shows zeros, never the previous interface's totals.
  counters = TrafficCounters{};

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(kernel.countersPath.c_str(), "re"));
  if (!file) exitOnSystemError(gettext("Can't open file /proc/net/dev"));

  switch (scanTrafficCounters(file.get(), deviceName(ifName), lineBuffer, lineCapacity, counters)) {
    case CounterScan::kFound:
    case CounterScan::kNotFound:
      return;
    case CounterScan::kWrongFormat:
      exitOnSystemError(gettext("Wrong format of /proc/net/dev. Sorry."));
    case CounterScan::kShortLine:
      exitOnSystemError(gettext("Can't read data from file"));
    case CounterScan::kOutOfMemory:
      exitOnSystemError(gettext("Not enough memory to read /proc/net/dev"));
  }
}
