// traffic_counters.cpp: reads /proc/net/dev and takes the totals the report shows from it.
#include "netif/traffic_counters.h"

#include <fcntl.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Interface names are at most this long; a longer token in the file names no interface.
constexpr std::size_t kMaxNameLength = IFNAMSIZ - 1;
constexpr int kCounterColumns = 16;
// The snapshot's first buffer holds a hundred device lines or so; it doubles whenever less than
// a page of it is left, so that each read(2) asks the kernel for many lines at once.
constexpr std::size_t kFirstCapacity = 16384;
constexpr std::size_t kLeastRead = 4096;
// It stops growing at a quarter of a gigabyte, a million device lines and more, which no kernel
// writes: a larger file is refused as one that outgrows memory, on every system alike, long
// before a 32-bit size could wrap in the doubling or a 32-bit address space run out.
constexpr std::size_t kMostCapacity = std::size_t{1} << 28;
static_assert(kFirstCapacity <= kMostCapacity && kMostCapacity <= SIZE_MAX / 2);
// A file of 2 GiB or more must open and stat on a 32-bit system as on any other.
static_assert(sizeof(off_t) >= 8, "build with -D_FILE_OFFSET_BITS=64");

// White space as the C locale has it: what separates the file's words.
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The first white-space-delimited word of the name part, or an empty view when it has none.
std::string_view firstToken(std::string_view namePart) {
  std::size_t begin = 0;
  while (begin < namePart.size() && isBlank(namePart[begin])) ++begin;
  std::size_t end = begin;
  while (end < namePart.size() && !isBlank(namePart[end])) ++end;
  return namePart.substr(begin, end - begin);
}

// Whether a run of decimal digits has a value that fits 64 bits: the shorter of two runs
// without leading zeros is the smaller, and of two as long the one that sorts first.
bool fits64Bits(std::string_view digits) {
  constexpr std::string_view kMost = "18446744073709551615";
  if (digits.size() < kMost.size()) return true;
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  return digits.size() < kMost.size() || (digits.size() == kMost.size() && digits <= kMost);
}

// Checks the first sixteen white-space-delimited fields of a NUL-terminated counter part, and
// converts those the report shows; whatever follows them is ignored. False when fewer are
// there, or when one is not a counter: a run of decimal digits, without a sign, whose value
// fits 64 bits.
bool parseCounters(const char* text, TrafficCounters& counters) {
  // The columns the report shows; the others are only checked. The numbers are written through
  // these pointers; cppcheck takes them for read-only.
  // cppcheck-suppress constVariable
  std::uint64_t* const shown[kCounterColumns] = {
      &counters.rxBytes, &counters.rxPackets, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      &counters.txBytes, &counters.txPackets, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  for (std::uint64_t* const value : shown) {
    while (isBlank(*text)) ++text;
    const char* end = text;
    while (*end >= '0' && *end <= '9') ++end;
    const std::string_view digits(text, end - text);
    if (digits.empty() || (*end != '\0' && !isBlank(*end)) || !fits64Bits(digits)) return false;
    if (value != nullptr) (void)std::from_chars(text, end, *value);
    text = end;
  }
  return true;
}

// Closed on every way out of the read: it was only read, so closing it cannot lose anything.
class RegularFile {
 public:
  explicit RegularFile(const std::string& path)
      : fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {}
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile() {
    if (fd >= 0) (void)close(fd);
  }
  int get() const { return fd; }
  bool isRegular() const {
    struct stat status;
    return fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  }

 private:
  int fd;
};

}  // namespace

CounterSnapshot::~CounterSnapshot() { std::free(text); }

CounterLoad CounterSnapshot::loadFile(const std::string& path) {
  const RegularFile file(path);
  if (!file.isRegular()) return CounterLoad::kCannotOpen;
  return load(file.get());
}

CounterLoad CounterSnapshot::load(int file) {
  countersByDevice.clear();
  endsAtWrongLine = false;
  const CounterLoad read = readWhole(file);
  if (read == CounterLoad::kLoaded) indexLines();
  return read;
}

CounterLoad CounterSnapshot::readWhole(int file) {
  size = 0;
  for (;;) {
    // One byte stays free for the NUL after a last line without a newline.
    if (capacity - size < kLeastRead + 1) {
      const std::size_t grown = std::clamp(2 * capacity, kFirstCapacity, kMostCapacity);
      void* larger = grown > capacity ? std::realloc(text, grown) : nullptr;
      if (larger == nullptr) {
        // Give the memory back so that the message itself can still be written.
        std::free(text);
        text = nullptr;
        capacity = size = 0;
        return CounterLoad::kOutOfMemory;
      }
      text = static_cast<char*>(larger);
      capacity = grown;
    }
    const ssize_t got = read(file, text + size, capacity - size - 1);
    if (got == 0) break;
    if (got > 0) {
      size += static_cast<std::size_t>(got);
      continue;
    }
    if (errno == EINTR) continue;
    // Counters read in part would show as totals they are not.
    size = 0;
    return CounterLoad::kReadFailed;
  }
  text[size] = '\0';
  return CounterLoad::kLoaded;
}

void CounterSnapshot::indexLines() {
  char* line = text;
  char* const end = text + size;
  int titleLines = 2;  // skipped unexamined
  while (line < end) {
    auto* newline = static_cast<char*>(std::memchr(line, '\n', end - line));
    char* const lineEnd = newline != nullptr ? newline : end;
    // The numbers are read as a C string that ends with the line, not in the next one.
    *lineEnd = '\0';
    const std::string_view lineText(line, lineEnd - line);
    line = lineEnd + 1;
    if (titleLines > 0) {
      --titleLines;
      continue;
    }
    const std::size_t colon = lineText.find(':');
    const std::string_view token = colon == std::string_view::npos
                                       ? std::string_view()
                                       : firstToken(lineText.substr(0, colon));
    if (token.empty()) {
      // A lookup that gets this far finds the file malformed, so nothing after it counts.
      endsAtWrongLine = true;
      return;
    }
    // emplace keeps an entry already there: a name's first line wins.
    if (token.size() <= kMaxNameLength) {
      countersByDevice.emplace(token, lineText.data() + colon + 1);
    }
  }
}

CounterLookup CounterSnapshot::find(std::string_view device, TrafficCounters& counters) const {
  const auto line = countersByDevice.find(device);
  if (line == countersByDevice.end()) {
    return endsAtWrongLine ? CounterLookup::kWrongFormat : CounterLookup::kNotFound;
  }
  TrafficCounters found;
  if (!parseCounters(line->second, found)) return CounterLookup::kMalformedLine;
  counters = found;
  return CounterLookup::kFound;
}
