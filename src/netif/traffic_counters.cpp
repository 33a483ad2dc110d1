// traffic_counters.cpp: finds an interface's line in /proc/net/dev and takes its sixteen totals.
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

// Closes the counter file on every way out of the scan that returns.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void InterfaceTable::readTrafficCounters() {
  // A name without a line of its own shows zeros, never the previous interface's totals.
  counters = TrafficCounters{};
  const std::string_view wanted = deviceName(ifName);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(kernel.countersPath.c_str(), "re"));
  if (!file) exitOnSystemError(gettext("Can't open file /proc/net/dev"));

  // Two title lines come first; once a read fails, every later read fails too.
  getline(&lineBuffer, &lineCapacity, file.get());
  getline(&lineBuffer, &lineCapacity, file.get());

  for (;;) {
    errno = 0;
    const ssize_t read = getline(&lineBuffer, &lineCapacity, file.get());
    if (read < 0) {
      if (errno == ENOMEM) exitOnSystemError(gettext("Not enough memory to read /proc/net/dev"));
      return;
    }
    std::string_view line(lineBuffer, static_cast<std::size_t>(read));
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);

    const std::size_t colon = line.find(':');
    const std::string_view token =
        colon == std::string_view::npos ? std::string_view() : firstToken(line.substr(0, colon));
    if (token.empty()) exitOnSystemError(gettext("Wrong format of /proc/net/dev. Sorry."));
    if (token.size() > kMaxNameLength || token != wanted) continue;

    // The first matching line wins; the lines after it are never read.
    TrafficCounters found;
    if (!parseCounters(lineBuffer + colon + 1, found)) {
      exitOnSystemError(gettext("Can't read data from file"));
    }
    counters = found;
    return;
  }
}
