// traffic_counters.cpp: finds an interface's line in /proc/net/dev and takes its sixteen totals.
#include "netif/traffic_counters.h"

#include <fcntl.h>
#include <libintl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "netif/interface_table.h"
#include "report/system_error.h"

namespace {

// Interface names are at most this long; a longer token in the file names no interface.
constexpr std::size_t kMaxNameLength = IFNAMSIZ - 1;
constexpr int kCounterColumns = 16;
// What the reads of one scan ask for: the first one little, each next one twice as much up to
// the page that the kernel fills per read anyway.
constexpr std::size_t kFirstRead = 512;
constexpr std::size_t kLargestRead = 4096;

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
class CounterFile {
 public:
  explicit CounterFile(const char* path) : fd(open(path, O_RDONLY | O_CLOEXEC)) {}
  CounterFile(const CounterFile&) = delete;
  CounterFile& operator=(const CounterFile&) = delete;
  ~CounterFile() {
    if (fd >= 0) (void)close(fd);
  }
  int get() const { return fd; }

 private:
  int fd;
};

// What a device line says about `device`: kNotFound for another device's line. The line may
// be written to: the byte after it becomes its terminator.
CounterScan examineLine(char* begin, std::size_t length, std::string_view device,
                        TrafficCounters& counters) {
  const std::string_view line(begin, length);
  const std::size_t colon = line.find(':');
  const std::string_view token =
      colon == std::string_view::npos ? std::string_view() : firstToken(line.substr(0, colon));
  if (token.empty()) return CounterScan::kWrongFormat;
  if (token.size() > kMaxNameLength || token != device) return CounterScan::kNotFound;

  // The numbers are read as a C string that ends with the line, not in the next one.
  begin[length] = '\0';
  TrafficCounters found;
  if (!parseCounters(begin + colon + 1, found)) return CounterScan::kShortLine;
  counters = found;
  return CounterScan::kFound;
}

}  // namespace

CounterScan scanTrafficCounters(int file, std::string_view device, char*& buffer,
                                std::size_t& capacity, TrafficCounters& counters) {
  std::size_t lineBegin = 0;  // the first byte of the line not examined yet
  std::size_t filled = 0;     // the bytes the buffer holds
  std::size_t searched = 0;   // no newline between lineBegin and this point
  int titleLines = 2;         // skipped unexamined
  bool atEnd = false;
  std::size_t chunk = kFirstRead;
  for (;;) {
    const auto* newline =
        filled > searched
            ? static_cast<const char*>(std::memchr(buffer + searched, '\n', filled - searched))
            : nullptr;
    if (newline == nullptr && !atEnd) {
      // The unfinished line moves to the front. The buffer grows only for a line longer than
      // it, so that no read asks for more than one chunk: what is read past the wanted line
      // is work the kernel did for nothing.
      if (lineBegin > 0) {
        std::memmove(buffer, buffer + lineBegin, filled - lineBegin);
        filled -= lineBegin;
        lineBegin = 0;
      }
      searched = filled;
      if (filled + kLargestRead + 1 > capacity) {
        const std::size_t grown = std::max(2 * capacity, filled + kLargestRead + 1);
        void* larger = std::realloc(buffer, grown);
        if (larger == nullptr) return CounterScan::kOutOfMemory;
        buffer = static_cast<char*>(larger);
        capacity = grown;
      }
      const ssize_t got = read(file, buffer + filled, chunk);
      chunk = std::min(2 * chunk, kLargestRead);
      if (got < 0 && errno == EINTR) continue;
      // An input error ends the file as its end does.
      if (got <= 0) {
        atEnd = true;
      } else {
        filled += static_cast<std::size_t>(got);
      }
      continue;
    }
    // At the end, what is left is a last line without a newline, or nothing.
    if (newline == nullptr && lineBegin == filled) return CounterScan::kNotFound;
    const std::size_t lineEnd =
        newline != nullptr ? static_cast<std::size_t>(newline - buffer) : filled;
    const std::size_t begin = lineBegin;
    lineBegin = searched = newline != nullptr ? lineEnd + 1 : filled;
    if (titleLines > 0) {
      --titleLines;
      continue;
    }
    const CounterScan outcome = examineLine(buffer + begin, lineEnd - begin, device, counters);
    if (outcome != CounterScan::kNotFound) return outcome;
  }
}

void InterfaceTable::readTrafficCounters() {
  // A name without a line of its own shows zeros, never the previous interface's totals.
  counters = TrafficCounters{};

  const CounterFile file(kernel.countersPath.c_str());
  if (file.get() < 0) exitOnSystemError(gettext("Can't open file /proc/net/dev"));

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
