// property_store.h: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#pragma once
#include <map>
#include <string>
#include <string_view>

// Orders property names by length first: a name of a length that no property has is told
// apart without comparing its text, so that a file of millions of unknown keys reads quickly.
struct ShorterNameFirst {
  using is_transparent = void;
  bool operator()(std::string_view left, std::string_view right) const {
    return left.size() != right.size() ? left.size() < right.size() : left < right;
  }
};

class PropertyStore {
 public:
  // A store that holds the library's defaults.
  PropertyStore();

  // Layers the configuration file at `path` over what the store holds: each property with a
  // default that the file sets replaces the value before it; other names are forgotten. Only a
  // regular file is read, line by line, and a line longer than 64 KiB sets nothing. Anything
  // else (missing, a directory, a FIFO, a device, no permission) and a file that cannot be read
  // to its end (a read error, more than 64 MiB) change nothing. Memory running out calls the
  // program's new-handler; a program that installs none gets std::bad_alloc, with the store as
  // it was before the call.
  void loadFile(const char* path);

  // The value of property `name`, or nullptr when the store has none. The text stays valid
  // until the store is changed or destroyed.
  const char* find(std::string_view name) const;

 private:
  // Looked up by the caller's text as it stands, without a copy of it.
  std::map<std::string, std::string, ShorterNameFirst> values;
};

// The store as the library builds it on its first call: the defaults, then the global file,
// then the file named by OpenSLPConfig (`overridePath`, nullptr when that is not set).
PropertyStore loadPropertyStore(const char* globalPath, const char* overridePath);
