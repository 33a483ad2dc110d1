// property_store.cpp: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#include "slp/property_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string_view>

namespace {

using Values = std::map<std::string, std::string, ShorterNameFirst>;

struct Default {
  const char* name;
  const char* value;
};

constexpr Default kDefaults[] = {
    {"net.slp.isBroadcastOnly", "false"},
    {"net.slp.multicastTimeouts", "500,750,1000,1500,2000,3000"},
    {"net.slp.multicastMaximumWait", "5000"},
    {"net.slp.unicastTimeouts", "500,750,1000,1500,2000,3000"},
    {"net.slp.unicastMaximumWait", "5000"},
    {"net.slp.datagramTimeouts", ""},
    {"net.slp.maxResults", "256"},
    {"net.slp.DADiscoveryTimeouts", "500,750,1000,1500,2000,3000"},
    {"net.slp.DADiscoveryMaximumWait", "2000"},
    {"net.slp.DAActiveDiscoveryInterval", "1"},
    {"net.slp.DAAddresses", ""},
    {"net.slp.watchRegistrationPID", "true"},
    {"net.slp.activeDADetection", "true"},
    {"net.slp.passiveDADetection", "true"},
    {"net.slp.useScopes", "default"},
    {"net.slp.locale", "en"},
    {"net.slp.randomWaitBound", "5000"},
    {"net.slp.interfaces", ""},
    {"net.slp.securityEnabled", "false"},
    {"net.slp.multicastTTL", "8"},
    {"net.slp.MTU", "1400"},
    {"net.slp.traceMsg", "false"},
    {"net.slp.traceReg", "false"},
    {"net.slp.traceDrop", "false"},
    {"net.slp.traceDATraffic", "false"},
    {"net.slp.isDA", "false"},
    {"net.slp.DAHeartBeat", "10800"},
    {"net.slp.checkSourceAddr", "true"},
};

// Every control byte and the blank, as the library's own reader has it; a byte above 0x7f is
// part of a name or value, whatever the locale says.
bool isSpaceOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

std::string_view withoutSurroundingSpace(std::string_view text) {
  while (!text.empty() && isSpaceOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpaceOrControl(text.back())) text.remove_suffix(1);
  return text;
}

// What an editor may put at the very start of a file saved as UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view firstLine) {
  if (firstLine.rfind(kByteOrderMark, 0) == 0) firstLine.remove_prefix(kByteOrderMark.size());
  return firstLine;
}

// The longest line that can set a property, its newline not counted. A longer one is skipped to
// its end without being kept, so a file's lines never hold more memory than this.
constexpr std::size_t kLongestLine = std::size_t{64} * 1024;

bool withinLineBound(std::string_view line) { return line.size() <= kLongestLine; }

// The most of a file that is read. A longer file, or one that never ends (/proc/self/pagemap),
// is dropped whole, unread beyond this point.
constexpr std::size_t kReadLimit = std::size_t{64} * 1024 * 1024;

// Reads at most `size` bytes into `chunk`, counting them off `unread`, what is left of the limit
// and one byte more to tell a file that goes on from one that ends there. Returns the bytes
// read, 0 at the file's end, or -1 when a read fails or the file goes on past the limit.
ssize_t readWithinLimit(int file, char* chunk, std::size_t size, std::size_t& unread) {
  ssize_t got = 0;
  do got = read(file, chunk, std::min(size, unread));
  while (got < 0 && errno == EINTR);
  if (got < 0 || static_cast<std::size_t>(got) == unread) return -1;
  unread -= static_cast<std::size_t>(got);
  return got;
}

// Layers the setting one line makes over `values`; a comment or a line that sets nothing
// changes nothing.
void applyLine(std::string_view line, Values& values) {
  // Callers receive values as C strings, so a NUL ends the line's text: what is stored is what
  // they can see.
  line = withoutSurroundingSpace(line.substr(0, line.find('\0')));
  if (line.empty() || line.front() == '#' || line.front() == ';') return;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view name = withoutSurroundingSpace(line.substr(0, equals));
  const std::string_view value = withoutSurroundingSpace(line.substr(equals + 1));
  // An empty value leaves the earlier one in force.
  if (name.empty() || value.empty()) return;
  // Nothing but the properties with defaults is ever asked for, so any other name is forgotten:
  // a file of unknown keys costs no memory.
  const auto known = values.find(name);
  if (known != values.end()) known->second.assign(value);
}

// A path that names a regular file, else nothing: opening a device or a FIFO can itself do
// something (allocate a terminal, release a writer, arm a watchdog).
bool namesRegularFile(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

// Opened, when its path names a regular file, without waiting for a writer or a device, and
// closed on every way out. The interface report has one like it: the store, a library of its
// own, links nothing of the report.
class RegularFile {
 public:
  explicit RegularFile(const char* path)
      : fd(namesRegularFile(path) ? open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                                  : -1) {}
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile() {
    if (fd >= 0) (void)close(fd);
  }
  int get() const { return fd; }
  // Checked again on the open file: the path may have changed since it was looked at.
  bool isRegular() const {
    struct stat status;
    return fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  }

 private:
  int fd;
};

// A line that a chunk ends before its newline, kept until the newline comes, as far as it can
// still set anything.
class PendingLine {
 public:
  // Adds `piece`, or drops the line, and the rest of it, once it outgrows the line bound.
  void append(std::string_view piece) {
    if (dropped) return;
    text.append(piece);
    dropped = !withinLineBound(line());
    if (dropped) text.clear();
  }
  // Layers the line over `values`, then starts the next.
  void end(Values& values) {
    if (!dropped) applyLine(line(), values);
    text.clear();
    dropped = false;
    first = false;
  }

 private:
  std::string_view line() const { return first ? withoutByteOrderMark(text) : text; }

  std::string text;
  bool dropped = false;
  bool first = true;
};

// Layers each line of the file open on `file` over `values` as soon as it has been read whole,
// so that memory holds one line, never the file. False when the file cannot be read to its end:
// a read fails, or it goes on past the read limit.
bool applyLines(int file, Values& values) {
  PendingLine pending;
  char chunk[8192];
  std::size_t unread = kReadLimit + 1;
  for (;;) {
    const ssize_t got = readWithinLimit(file, chunk, sizeof chunk, unread);
    if (got < 0) return false;
    if (got == 0) {
      pending.end(values);  // a last line without a newline counts too
      return true;
    }
    std::string_view text(chunk, static_cast<std::size_t>(got));
    std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos) {
      pending.append(text.substr(0, newline));
      pending.end(values);
      text.remove_prefix(newline + 1);
      // The lines that lie whole in this chunk, neither first nor long, are read where they are.
      while ((newline = text.find('\n')) != std::string_view::npos) {
        applyLine(text.substr(0, newline), values);
        text.remove_prefix(newline + 1);
      }
    }
    pending.append(text);
  }
}

}  // namespace

PropertyStore::PropertyStore() {
  for (const Default& entry : kDefaults) values[entry.name] = entry.value;
}

void PropertyStore::loadFile(const char* path) {
  // Only a regular file is read: a FIFO, a terminal or /dev/zero could hold the report up for
  // ever.
  const RegularFile file(path);
  if (!file.isRegular()) return;
  // A file that cannot be read to its end, whatever the reason, is dropped whole rather than
  // applied in part; memory running out leaves the store as it was, too.
  Values layered = values;
  if (applyLines(file.get(), layered)) values.swap(layered);
}

const char* PropertyStore::find(std::string_view name) const {
  const auto found = values.find(name);
  if (found == values.end()) return nullptr;
  return found->second.c_str();
}

PropertyStore loadPropertyStore(const char* globalPath, const char* overridePath) {
  PropertyStore store;
  store.loadFile(globalPath);
  if (overridePath != nullptr) store.loadFile(overridePath);
  return store;
}
