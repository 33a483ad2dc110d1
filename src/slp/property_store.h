// property_store.h: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Orders property names by length first: a name of a length that no property has is told
// apart without comparing its text, so that a file of millions of unknown keys reads quickly.
struct ShorterNameFirst {
  using is_transparent = void;
  bool operator()(std::string_view left, std::string_view right) const {
    return left.size() != right.size() ? left.size() < right.size() : left < right;
  }
};

// What the store could not use of its files, for the person running the report: one line each,
// without its line end, "tolvane: FILE: reason" or "tolvane: FILE:LINE: reason". Text from
// outside (a path, a name) stands in them as it was given.
using StoreNotes = std::vector<std::string>;

// Who named a configuration file: a file the build names may be missing, as on a host without
// SLP configuration; one the user named in OpenSLPConfig is noted when it names nothing.
enum class NamedBy { kBuild, kOpenSLPConfig };

class PropertyStore {
 public:
  // A store that holds the library's defaults.
  PropertyStore();

  // Layers the configuration file at `path` over what the store holds: each property with a
  // default that the file sets replaces the value before it; other names are forgotten. Only a
  // regular file is ever opened, whatever the path is swapped to meanwhile, and read line by
  // line; a line longer than 64 KiB sets nothing. Anything else (missing, a directory, a FIFO,
  // a device, no permission) and a file that cannot be read to its end (a read error, more than
  // 64 MiB) change nothing. What was not used is added to `notes`: the file's one note when it
  // changes nothing, else one for each line that sets nothing for a reason its writer may not
  // see (too long, a name in the wrong letter case), the first ten of them and a count of the
  // rest. Memory running out calls the program's new-handler; a program that installs none gets
  // std::bad_alloc, with the store as it was before the call.
  void loadFile(const char* path, NamedBy namedBy, StoreNotes& notes);

  // The value of property `name`, or nullptr when the store has none. The text stays valid
  // until the store is changed or destroyed.
  const char* find(std::string_view name) const;

 private:
  // Looked up by the caller's text as it stands, without a copy of it.
  std::map<std::string, std::string, ShorterNameFirst> values;
};

// The store as the library builds it on its first call: the defaults, then the global file,
// then the file named by OpenSLPConfig (`overridePath`, nullptr or empty when that is not set),
// with the notes of both in `notes`.
PropertyStore loadPropertyStore(const char* globalPath, const char* overridePath,
                                StoreNotes& notes);
