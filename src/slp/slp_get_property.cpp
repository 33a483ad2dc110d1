// slp_get_property.cpp: SLPGetProperty as the built-in store answers it, for builds without the
// system's SLP library.
#include <slp.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "slp/property_store.h"
#include "streams/terminal_text.h"

#ifndef TOLVANE_SLP_GLOBAL_CONF
#define TOLVANE_SLP_GLOBAL_CONF "/etc/slp.conf"
#endif

namespace {

// Each note on a line of its own on standard error. The store's own words are printable text,
// so the rule for a name from outside applies to the whole line: a path cannot make a line that
// looks like a note of its own.
void writeNotes(const StoreNotes& notes) {
  const bool terminal = isatty(STDERR_FILENO) == 1;
  for (const std::string& line : notes) std::cerr << shownAsName(line, terminal) << '\n';
}

PropertyStore loadProcessStore() {
  StoreNotes notes;
  PropertyStore store =
      loadPropertyStore(TOLVANE_SLP_GLOBAL_CONF, std::getenv("OpenSLPConfig"), notes);
  writeNotes(notes);
  return store;
}

// Loaded on the first call and kept until the process ends, so every returned value stays
// valid; files edited or an environment changed afterwards do not reach a running process.
const PropertyStore& processStore() {
  static const PropertyStore store = loadProcessStore();
  return store;
}

}  // namespace

extern "C" const char* SLPGetProperty(const char* pcName) {
  if (pcName == nullptr) return nullptr;
  // A C function lets nothing through: without memory even for the defaults, the library
  // knows no property.
  try {
    return processStore().find(pcName);
  } catch (...) {
    return nullptr;
  }
}
