// property_store.h: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#pragma once
#include <string_view>

#include "slp/setting_lines.h"
#include "slp/store_notes.h"

// Who named a configuration file: a file the build names may be missing, as on a host without
// SLP configuration, but not be a link to nothing; one the user named in OpenSLPConfig is noted
// when it names nothing.
enum class NamedBy { kBuild, kOpenSLPConfig };

class PropertyStore {
 public:
  // A store that holds the library's defaults.
  PropertyStore();

  // Layers the configuration file at `path` over what the store holds: each property that the
  // file sets replaces the value before it; other names are forgotten. Only a regular file is
  // ever opened, and only through the kernel's /proc, whatever the path is swapped to meanwhile;
  // it is read line by line, and a line longer than 64 KiB sets nothing. Anything else
  // (missing, a directory, a FIFO, a device, no permission, no kernel's /proc) and a file that
  // cannot be read to its end (a read error, more than 64 MiB) change nothing. What was not used
  // is added to `notes`: the file's one note when it changes nothing, else the notes of its
  // lines (setting_lines.h), the first ten of them and a count of the rest. Memory running out
  // calls the program's new-handler; a program that installs none gets std::bad_alloc, with the
  // store as it was before the call.
  void loadFile(const char* path, NamedBy namedBy, StoreNotes& notes);

  // The value of property `name`, or nullptr when the store has none. The text stays valid
  // until the store is changed or destroyed.
  const char* find(std::string_view name) const;

 private:
  // Looked up by the caller's text as it stands, without a copy of it.
  Properties properties;
};

// The store as the library builds it on its first call: the defaults, then the global file,
// then the file named by OpenSLPConfig (`overridePath`, nullptr or empty when that is not set),
// with the notes of both in `notes`.
PropertyStore loadPropertyStore(const char* globalPath, const char* overridePath,
                                StoreNotes& notes);
