// traffic_counters_fuzzer.cpp: lookups in a /proc/net/dev snapshot of arbitrary file contents.
//
// Input: the wanted device names up to the first newline, separated by blanks, then the file's
// contents. The file is loaded once and each name looked up in it in turn; every outcome and
// its counters must agree with a reference scan of the same bytes, written from the file's
// rules rather than from the snapshot's code.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netif/traffic_counters.h"
#include "support/counter_columns.h"

namespace {

constexpr std::size_t kMaxNameLength = 15;

// White space as the C locale has it.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One counter: blanks, then a run of decimal digits whose value fits 64 bits, ended by a blank
// or the end of the text. Nothing when the field is anything else (a sign, a suffix, too large).
std::optional<std::uint64_t> referenceNumber(std::string_view& text) {
  std::size_t at = 0;
  while (at < text.size() && isSpace(text[at])) ++at;
  const std::size_t first = at;
  unsigned __int128 value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + static_cast<unsigned>(text[at] - '0');
    if (value > UINT64_MAX) return std::nullopt;
  }
  if (at == first || (at < text.size() && !isSpace(text[at]))) return std::nullopt;
  text.remove_prefix(at);
  return static_cast<std::uint64_t>(value);
}

struct Reference {
  CounterLookup outcome;
  std::vector<std::uint64_t> numbers;
};

Reference referenceScan(std::string_view contents, std::string_view device) {
  std::vector<std::string_view> lines;
  while (!contents.empty()) {
    const std::size_t end = contents.find('\n');
    lines.push_back(contents.substr(0, end));
    contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
  }
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {CounterLookup::kWrongFormat, {}};
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && isSpace(name.front())) name.remove_prefix(1);
    std::size_t length = 0;
    while (length < name.size() && !isSpace(name[length])) ++length;
    name = name.substr(0, length);
    if (name.empty()) return {CounterLookup::kWrongFormat, {}};
    if (name.size() > kMaxNameLength || name != device) continue;
    // The numbers are read as a C string: a NUL ends them.
    std::string_view rest = line.substr(colon + 1);
    rest = rest.substr(0, rest.find('\0'));
    std::vector<std::uint64_t> numbers;
    while (numbers.size() < 16) {
      const std::optional<std::uint64_t> number = referenceNumber(rest);
      if (!number) return {CounterLookup::kMalformedLine, {}};
      numbers.push_back(*number);
    }
    // The counters hold the first two columns of each direction.
    return {CounterLookup::kFound, {numbers[0], numbers[1], numbers[8], numbers[9]}};
  }
  return {CounterLookup::kNotFound, {}};
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "traffic counter scan: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  if (newline == std::string_view::npos) return 0;
  std::string_view devices = input.substr(0, newline);
  // A copy of the contents of its own, so that a read past their end is caught.
  std::string contents(input.substr(newline + 1));

  const int file = memfd_create("counters", MFD_CLOEXEC);
  if (file < 0 ||
      pwrite(file, contents.data(), contents.size(), 0) != static_cast<ssize_t>(contents.size())) {
    fail("cannot hold the contents in a file");
  }
  CounterSnapshot snapshot;
  if (snapshot.load(file) != CounterLoad::kLoaded) fail("cannot read the contents back");
  close(file);

  do {
    const std::size_t blank = devices.find(' ');
    const std::string_view device = devices.substr(0, blank);
    devices.remove_prefix(blank == std::string_view::npos ? devices.size() : blank + 1);

    TrafficCounters counters;
    counters.rxBytes = 12345;  // must survive every outcome but kFound
    const CounterLookup outcome = snapshot.find(device, counters);
    const Reference expected = referenceScan(contents, device);
    if (outcome != expected.outcome) fail("outcome differs from the reference reading");
    if (outcome == CounterLookup::kFound) {
      if (counterColumns(counters) != expected.numbers)
        fail("numbers differ from the reference reading");
    } else if (counters.rxBytes != 12345) {
      fail("counters changed without a matching line");
    }
  } while (!devices.empty());
  return 0;
}
