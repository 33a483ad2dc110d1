// floor.cpp: the least work of tolvane -I's design, timed in process.
//
// One pass does what the interface section cannot do without: one socket for the whole
// section; one SIOCGIFCONF with a null buffer for the list's length, then one fetch with room
// to spare; one read of the whole /proc/net/dev, indexed by device; for every record whose name
// begins with "eth", the counters its block shows from that reading and the probe's eight
// interface requests (index, address, netmask, address again, hardware address, MTU, flags,
// index again: the record confirmed, which a list that holds still always is); the blocks
// formatted into one buffer and written with one write(2).
//
//   tolvane_floor BLOCKS RUNS   prints two medians of RUNS passes, in milliseconds: the whole
//                               pass, writing to /dev/null; and the address, netmask and
//                               confirming address requests of every record alone, made on a
//                               list already fetched (for an alias the kernel walks the
//                               device's address list, once a request)
//   tolvane_floor BLOCKS        writes one pass's blocks to standard output: the very bytes of
//                               tolvane -I's interface section, which the benchmark checks
//
// Either way the pass must find BLOCKS records whose names begin with "eth".
#include <fcntl.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Room for this many more records than the kernel said, in case the list grows in between.
constexpr int kSpareRecords = 16;
// The transmit columns the block shows are the ninth and tenth of the line's sixteen.
constexpr int kColumnsRead = 10;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "tolvane_floor: %s: %s\n", what, std::strerror(errno));
  std::exit(1);
}

bool isEthernetName(const char* name) { return std::memcmp(name, "eth", 3) == 0; }

// What a pass keeps from one to the next, as the program keeps its buffers between sections.
struct Buffers {
  std::vector<char> list;
  std::vector<char> counterText;
  std::string report;
};

// The interface list, asked for its length first; fetched again, with more room, only when it
// filled the buffer (it grew between the two requests). Returns the number of records.
int fetchList(int socket, std::vector<char>& list) {
  ifconf conf{};
  if (ioctl(socket, SIOCGIFCONF, &conf) < 0) fail("SIOCGIFCONF");
  std::size_t room = static_cast<std::size_t>(conf.ifc_len) + kSpareRecords * sizeof(ifreq);
  for (;;) {
    if (list.size() < room) list.resize(room);
    conf.ifc_len = static_cast<int>(list.size());
    conf.ifc_buf = list.data();
    if (ioctl(socket, SIOCGIFCONF, &conf) < 0) fail("SIOCGIFCONF");
    if (static_cast<std::size_t>(conf.ifc_len) < list.size()) break;
    room = 2 * list.size();
  }
  return conf.ifc_len / static_cast<int>(sizeof(ifreq));
}

// The whole counter file in one buffer, with each device's counter part by its name.
using CounterIndex = std::unordered_map<std::string_view, const char*>;

void readCounters(std::vector<char>& text, CounterIndex& index) {
  const int file = open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
  if (file < 0) fail("/proc/net/dev");
  std::size_t size = 0;
  for (;;) {
    if (text.size() - size < 4097) text.resize(2 * text.size() + 16384);
    const ssize_t got = read(file, text.data() + size, text.size() - size - 1);
    if (got < 0) fail("/proc/net/dev");
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  close(file);
  text[size] = '\0';

  index.clear();
  char* line = text.data();
  char* const end = line + size;
  for (int titleLines = 2; line < end; --titleLines) {
    char* newline = static_cast<char*>(std::memchr(line, '\n', end - line));
    char* const lineEnd = newline != nullptr ? newline : end;
    *lineEnd = '\0';
    char* const colon = titleLines > 0 ? nullptr : std::strchr(line, ':');
    if (colon != nullptr) {
      const char* name = line;
      while (*name == ' ') ++name;
      index.emplace(std::string_view(name, colon - name), colon + 1);
    }
    line = lineEnd + 1;
  }
}

template <typename Integer>
void append(std::string& out, Integer value) {
  char digits[24];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(digits, result.ptr);
}

void appendQuad(std::string& out, const sockaddr& address) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(address.sa_data) + 2;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) out += '.';
    append(out, bytes[i]);
  }
}

void appendHardwareAddress(std::string& out, const sockaddr& address) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (int i = 0; i < 6; ++i) {
    const auto byte = static_cast<unsigned char>(address.sa_data[i]);
    if (i > 0) out += ':';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
}

void appendOutIn(std::string& out, std::uint64_t sent, std::uint64_t received) {
  out += "Out: ";
  append(out, sent);
  out += "\tIn: ";
  append(out, received);
  out += '\n';
}

void request(int socket, unsigned long code, ifreq& record) {
  if (ioctl(socket, code, &record) != 0) fail(record.ifr_name);
}

// One interface's block, probed as the program probes it: each answer taken before the next
// request overwrites it.
void appendBlock(std::string& out, int socket, ifreq record, const CounterIndex& counters) {
  const std::string_view name(record.ifr_name, strnlen(record.ifr_name, IFNAMSIZ));
  // Aliases count on their device's line. The block shows the first two columns of each
  // direction, so the line is read up to the tenth and no further.
  std::uint64_t columns[kColumnsRead] = {};
  const auto line = counters.find(name.substr(0, name.find(':')));
  if (line != counters.end()) {
    const char* text = line->second;
    for (std::uint64_t& column : columns) {
      while (*text == ' ') ++text;
      for (; *text >= '0' && *text <= '9'; ++text) column = 10 * column + (*text - '0');
    }
  }

  const ifreq listed = record;
  request(socket, SIOCGIFINDEX, record);
  const int index = record.ifr_ifindex;
  record = listed;
  request(socket, SIOCGIFADDR, record);
  const sockaddr address = record.ifr_addr;
  request(socket, SIOCGIFNETMASK, record);
  const sockaddr netmask = record.ifr_netmask;
  record = listed;
  request(socket, SIOCGIFADDR, record);
  if (std::memcmp(&record.ifr_addr, &address, sizeof address) != 0) fail(record.ifr_name);
  request(socket, SIOCGIFHWADDR, record);
  const sockaddr hardware = record.ifr_hwaddr;
  request(socket, SIOCGIFMTU, record);
  const int mtu = record.ifr_mtu;
  request(socket, SIOCGIFFLAGS, record);
  const auto flags = static_cast<std::uint16_t>(record.ifr_flags);
  record = listed;
  request(socket, SIOCGIFINDEX, record);
  if (record.ifr_ifindex != index) fail(record.ifr_name);

  out += "\nLocal Interface\t\t";
  out += name;
  out += "\n----------------------------------\nIP address\t\t\t\t";
  appendQuad(out, address);
  out += "\nMAC address\t\t\t\t";
  appendHardwareAddress(out, hardware);
  out += "\nNetwork Mask\t\t\t\t";
  appendQuad(out, netmask);
  out += "\nOperational state\t\t\t";
  out += (flags & IFF_UP) != 0 ? "UP" : "DOWN";
  out += "\nBroadcast address valid\t\t\t";
  out += (flags & IFF_BROADCAST) != 0 ? "YES" : "NO";
  out += "\nSupports multicast\t\t\t";
  out += (flags & IFF_MULTICAST) != 0 ? "YES" : "NO";
  out += "\nMaximum transmission unit\t\t";
  append(out, mtu);
  out += "\nTotal packets:\t\t\t\t";
  appendOutIn(out, columns[9], columns[1]);
  out += "Total bytes:\t\t\t\t";
  appendOutIn(out, columns[8], columns[0]);
}

void writeAll(int file, const std::string& text) {
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t wrote = write(file, text.data() + written, text.size() - written);
    if (wrote < 0 && errno != EINTR) fail("write");
    written += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
  }
}

// One section's work; returns the number of blocks written to `file`.
int pass(Buffers& buffers, int file) {
  const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (socket < 0) fail("socket");
  const int records = fetchList(socket, buffers.list);
  CounterIndex counters;
  readCounters(buffers.counterText, counters);
  buffers.report.clear();
  int blocks = 0;
  const auto* record = reinterpret_cast<const ifreq*>(buffers.list.data());
  for (int i = 0; i < records; ++i, ++record) {
    if (!isEthernetName(record->ifr_name)) continue;
    appendBlock(buffers.report, socket, *record, counters);
    ++blocks;
  }
  close(socket);
  writeAll(file, buffers.report);
  return blocks;
}

// The requests that walk an alias's address list alone (the address, the netmask, the address
// again), on every "eth" record of the list the last pass fetched.
void addressRequests(int socket, const std::vector<char>& list, int records) {
  const auto* record = reinterpret_cast<const ifreq*>(list.data());
  for (int i = 0; i < records; ++i, ++record) {
    if (!isEthernetName(record->ifr_name)) continue;
    ifreq copy = *record;
    request(socket, SIOCGIFADDR, copy);
    request(socket, SIOCGIFNETMASK, copy);
    copy = *record;
    request(socket, SIOCGIFADDR, copy);
  }
}

// The median of RUNS timed calls of work, in milliseconds, after one more that warms up (and
// grows the buffers to their size).
template <typename Work>
double medianMilliseconds(int runs, Work work) {
  std::vector<double> times;
  for (int run = 0; run <= runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> time = std::chrono::steady_clock::now() - start;
    if (run > 0) times.push_back(time.count());
  }
  std::sort(times.begin(), times.end());
  const std::size_t middle = times.size() / 2;
  return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc == 2 || argc == 3 ? std::atoi(argv[1]) : 0;
  const int runs = argc == 3 ? std::atoi(argv[2]) : 1;
  if (blocks <= 0 || runs <= 0) {
    std::fprintf(stderr, "usage: tolvane_floor BLOCKS [RUNS]\n");
    return 2;
  }
  Buffers buffers;
  const auto checkedPass = [&](int file) {
    const int found = pass(buffers, file);
    if (found == blocks) return;
    std::fprintf(stderr, "tolvane_floor: %d interfaces whose names begin with eth, not %d\n", found,
                 blocks);
    std::exit(1);
  };
  if (argc == 2) {
    checkedPass(STDOUT_FILENO);
    return 0;
  }

  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) fail("/dev/null");
  const double passes = medianMilliseconds(runs, [&] { checkedPass(null); });
  const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (socket < 0) fail("socket");
  const int records = fetchList(socket, buffers.list);
  const double requests =
      medianMilliseconds(runs, [&] { addressRequests(socket, buffers.list, records); });
  std::printf("%.3f %.3f\n", passes, requests);
  return 0;
}
