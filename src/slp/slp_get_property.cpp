// slp_get_property.cpp: SLPGetProperty as the built-in store answers it, for builds without the
// system's SLP library.
#include <slp.h>

#include <cstdlib>

#include "slp/property_store.h"

#ifndef TOLVANE_SLP_GLOBAL_CONF
#define TOLVANE_SLP_GLOBAL_CONF "/etc/slp.conf"
#endif

namespace {

// Loaded on the first call and kept until the process ends, so every returned value stays
// valid; files edited or an environment changed afterwards do not reach a running process.
const PropertyStore& processStore() {
  static const PropertyStore store =
      loadPropertyStore(TOLVANE_SLP_GLOBAL_CONF, std::getenv("OpenSLPConfig"));
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
