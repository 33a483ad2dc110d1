// property_store.cpp: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#include "slp/property_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string_view>

namespace {

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

// Only ASCII white space: a high byte is part of a name or value, whatever the locale says.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// cppcheck does not follow the members through the std::optional that carries them.
struct Setting {
  std::string name;   // cppcheck-suppress unusedStructMember
  std::string value;  // cppcheck-suppress unusedStructMember
};

// The setting that one line of a file makes, or nothing for a comment or a line that sets
// nothing.
std::optional<Setting> parseLine(std::string_view line) {
  // Callers receive values as C strings, so a NUL ends the line's text: what is stored is what
  // they can see.
  line = trimmed(line.substr(0, line.find('\0')));
  if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view name = trimmed(line.substr(0, equals));
  const std::string_view value = trimmed(line.substr(equals + 1));
  // An empty value leaves the earlier one in force.
  if (name.empty() || value.empty()) return std::nullopt;
  return Setting{std::string(name), std::string(value)};
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// The whole file, or false when it cannot be read to its end. Only files and pipes are read: a
// directory has no text, and a device such as /dev/zero would never end. A file that fails
// half-way is dropped whole rather than applied in part.
bool readWholeFile(const std::string& path, std::string& contents) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  struct stat status;
  if (fstat(file.get(), &status) != 0) return false;
  if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode)) return false;
  char chunk[8192];
  for (;;) {
    const ssize_t got = read(file.get(), chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    contents.append(chunk, static_cast<std::size_t>(got));
  }
}

}  // namespace

PropertyStore::PropertyStore() {
  for (const Default& entry : kDefaults) values_[entry.name] = entry.value;
}

void PropertyStore::loadFile(const std::string& path) {
  std::string contents;
  if (readWholeFile(path, contents)) loadText(contents);
}

void PropertyStore::loadText(std::string_view contents) {
  std::size_t lineBegin = 0;
  while (lineBegin < contents.size()) {
    std::size_t lineEnd = contents.find('\n', lineBegin);
    if (lineEnd == std::string_view::npos) lineEnd = contents.size();
    if (auto setting = parseLine(contents.substr(lineBegin, lineEnd - lineBegin))) {
      values_[std::move(setting->name)] = std::move(setting->value);
    }
    lineBegin = lineEnd + 1;
  }
}

const char* PropertyStore::find(std::string_view name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return nullptr;
  return found->second.c_str();
}

PropertyStore loadPropertyStore(const std::string& globalPath, const char* overridePath) {
  PropertyStore store;
  store.loadFile(globalPath);
  if (overridePath != nullptr) store.loadFile(overridePath);
  return store;
}
