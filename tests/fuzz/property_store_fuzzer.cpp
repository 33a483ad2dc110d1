// property_store_fuzzer.cpp: the configuration store on arbitrary file contents.
//
// The contents are written to a memory file and read as a configuration file. Every key the
// file names and every default is looked up. A value the store returns never has white space
// at either end, a newline or a NUL inside, and is what a reference reading of the same text
// gives: the last setting of a key wins, a line without a name or value changes nothing, nor
// does a line longer than 64 KiB; a key without a default never has a value.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "slp/property_store.h"

namespace {

bool isBlank(char c) { return c >= 0x01 && c <= 0x20; }

std::string_view trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Every key any line mentions, with the value the last effective line gives it (empty when no
// line sets it).
std::map<std::string, std::string> referenceSettings(std::string_view text) {
  std::map<std::string, std::string> settings;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    begin = end + 1;
    if (line.size() > 65536) continue;
    line = trim(line.substr(0, line.find('\0')));
    const std::size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || line[0] == ';' || equals == std::string_view::npos) {
      continue;
    }
    const std::string name(trim(line.substr(0, equals)));
    if (name.empty()) continue;
    const std::string_view value = trim(line.substr(equals + 1));
    std::string& known = settings[name];
    if (!value.empty()) known = std::string(value);
  }
  return settings;
}

[[noreturn]] void fail(const char* what, const std::string& key) {
  std::fprintf(stderr, "property store: %s (key '%s')\n", what, key.c_str());
  std::abort();
}

void checkValue(const char* value, const std::string& key) {
  const std::size_t length = std::strlen(value);
  if (length == 0) fail("empty value", key);
  if (isBlank(value[0]) || isBlank(value[length - 1])) fail("blank at an end of the value", key);
  if (std::strchr(value, '\n') != nullptr) fail("newline inside the value", key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const PropertyStore defaults;
  static const int file = memfd_create("slp.conf", MFD_CLOEXEC);
  if (file < 0 || ftruncate(file, 0) != 0 ||
      pwrite(file, data, size, 0) != static_cast<ssize_t>(size)) {
    fail("cannot write the memory file", "");
  }
  PropertyStore store;
  StoreNotes notes;
  const std::string path = "/proc/self/fd/" + std::to_string(file);
  store.loadFile(path.c_str(), NamedBy::kOpenSLPConfig, notes);
  // Lines that set nothing are noted ten at most, then counted on one more line.
  if (notes.size() > 11) fail("more than eleven notes", "");
  for (const std::string& note : notes) {
    if (note.rfind("tolvane: " + path + ":", 0) != 0) fail("a note without the file's path", note);
  }

  const std::map<std::string, std::string> settings = referenceSettings(text);
  for (const auto& [key, expected] : settings) {
    const char* value = store.find(key);
    if (defaults.find(key) == nullptr) {
      if (value != nullptr) fail("a key without a default has a value", key);
    } else if (!expected.empty()) {
      if (value == nullptr) fail("a key the file sets is missing", key);
      if (expected != value) fail("value differs from the reference reading", key);
    } else {
      // A key the file only mentions keeps its default.
      if (value == nullptr) fail("an unset key lost its default", key);
      if (std::strcmp(value, defaults.find(key)) != 0) fail("a default changed", key);
    }
    if (value != nullptr && *value != '\0') checkValue(value, key);
  }
  if (store.find("") != nullptr) fail("a value without a name", "");

  // Every default is still answered, and defaults the file does not set are untouched.
  for (const char* key : {"net.slp.useScopes",
                          "net.slp.DAAddresses",
                          "net.slp.isBroadcastOnly",
                          "net.slp.MTU",
                          "net.slp.multicastTTL",
                          "net.slp.isDA",
                          "net.slp.DAHeartBeat",
                          "net.slp.watchRegistrationPID",
                          "net.slp.maxResults",
                          "net.slp.passiveDADetection",
                          "net.slp.activeDADetection",
                          "net.slp.DAActiveDiscoveryInterval",
                          "net.slp.DADiscoveryMaximumWait",
                          "net.slp.DADiscoveryTimeouts",
                          "net.slp.multicastMaximumWait",
                          "net.slp.multicastTimeouts",
                          "net.slp.unicastMaximumWait",
                          "net.slp.unicastTimeouts",
                          "net.slp.randomWaitBound",
                          "net.slp.interfaces",
                          "net.slp.securityEnabled",
                          "net.slp.checkSourceAddr",
                          "net.slp.traceDATraffic",
                          "net.slp.traceReg",
                          "net.slp.traceDrop",
                          "net.slp.traceMsg"}) {
    const char* value = store.find(key);
    if (value == nullptr) fail("a default key has no value", key);
    if (settings.count(key) == 0 && std::strcmp(value, defaults.find(key)) != 0) {
      fail("a default changed without a line for it", key);
    }
    if (*value != '\0') checkValue(value, key);
  }
  return 0;
}
