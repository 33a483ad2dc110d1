// property_store.cpp: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#include "slp/property_store.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "slp/bounded_file.h"

namespace {

struct Default {
  const char* name;
  const char* value;
  ValueKind kind;
};

constexpr ValueKind kText = ValueKind::kText;
constexpr ValueKind kNumber = ValueKind::kNumber;
constexpr ValueKind kNumbers = ValueKind::kNumberList;
constexpr ValueKind kYesNo = ValueKind::kYesNo;

constexpr Default kDefaults[] = {
    {"net.slp.isBroadcastOnly", "false", kYesNo},
    {"net.slp.multicastTimeouts", "500,750,1000,1500,2000,3000", kNumbers},
    {"net.slp.multicastMaximumWait", "5000", kNumber},
    {"net.slp.unicastTimeouts", "500,750,1000,1500,2000,3000", kNumbers},
    {"net.slp.unicastMaximumWait", "5000", kNumber},
    {"net.slp.datagramTimeouts", "", kNumbers},
    {"net.slp.maxResults", "256", kNumber},
    {"net.slp.DADiscoveryTimeouts", "500,750,1000,1500,2000,3000", kNumbers},
    {"net.slp.DADiscoveryMaximumWait", "2000", kNumber},
    {"net.slp.DAActiveDiscoveryInterval", "1", kNumber},
    {"net.slp.DAAddresses", "", kText},
    {"net.slp.watchRegistrationPID", "true", kYesNo},
    {"net.slp.activeDADetection", "true", kYesNo},
    {"net.slp.passiveDADetection", "true", kYesNo},
    {"net.slp.useScopes", "default", kText},
    {"net.slp.locale", "en", kText},
    {"net.slp.randomWaitBound", "5000", kNumber},
    {"net.slp.interfaces", "", kText},
    {"net.slp.securityEnabled", "false", kYesNo},
    {"net.slp.multicastTTL", "8", kNumber},
    {"net.slp.MTU", "1400", kNumber},
    {"net.slp.traceMsg", "false", kYesNo},
    {"net.slp.traceReg", "false", kYesNo},
    {"net.slp.traceDrop", "false", kYesNo},
    {"net.slp.traceDATraffic", "false", kYesNo},
    {"net.slp.isDA", "false", kYesNo},
    {"net.slp.DAHeartBeat", "10800", kNumber},
    {"net.slp.checkSourceAddr", "true", kYesNo},
};

// The note of a file that exists but could not be read, for the errno that says why.
std::string cannotBeRead(const char* path, int error) {
  return note(gettext("{path}: cannot be read ({reason}); its settings are not in the report"),
              {{"path", path}, {"reason", std::strerror(error)}});
}

// What a path names, when it is not a regular file, as a note says it.
const char* kindText(mode_t kind) {
  if (S_ISDIR(kind)) return gettext("a directory");
  if (S_ISFIFO(kind)) return gettext("a FIFO");
  if (S_ISSOCK(kind)) return gettext("a socket");
  return gettext("a device");
}

// Where the symbolic link at `path` points, or nothing when `path` is no symbolic link.
std::string linkTarget(const char* path) {
  struct stat link;
  if (lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) return {};
  std::string target(PATH_MAX, '\0');
  const ssize_t size = readlink(path, target.data(), target.size());
  target.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  return target;
}

// The note of a path that names nothing: silent for a global file that is not there, as on a
// host without SLP configuration, but not when it is a link to nothing, a broken installation.
void noteMissing(const char* path, NamedBy namedBy, StoreNotes& notes) {
  if (namedBy == NamedBy::kOpenSLPConfig) {
    // A file the user named should be there.
    notes.push_back(note(gettext("{path}: no such file (named by OpenSLPConfig); its settings "
                                 "are not in the report"),
                         {{"path", path}}));
    return;
  }
  const std::string target = linkTarget(path);
  if (target.empty()) return;
  notes.push_back(note(gettext("{path}: a symbolic link to {target}, which does not exist; its "
                               "settings are not in the report"),
                       {{"path", path}, {"target", target}}));
}

// The note of a file that changes nothing, by why it was not opened.
void noteUnopened(const char* path, const RegularFile& file, NamedBy namedBy, StoreNotes& notes) {
  switch (file.refusal()) {
    case OpenRefusal::kNone:
      return;
    case OpenRefusal::kNotRegular:
      notes.push_back(
          note(gettext("{path}: not a regular file ({kind}); its settings are not in the report"),
               {{"path", path}, {"kind", kindText(file.otherKind())}}));
      return;
    case OpenRefusal::kNoKernelProc:
      notes.push_back(note(gettext("{path}: cannot be opened safely without the kernel's /proc; "
                                   "its settings are not in the report"),
                           {{"path", path}}));
      return;
    case OpenRefusal::kFailed:
      if (file.error() == ENOENT) return noteMissing(path, namedBy, notes);
      notes.push_back(cannotBeRead(path, file.error()));
      return;
  }
}

}  // namespace

PropertyStore::PropertyStore() {
  for (const Default& entry : kDefaults) properties[entry.name] = {entry.value, entry.kind};
}

void PropertyStore::loadFile(const char* path, NamedBy namedBy, StoreNotes& notes) {
  // Only a regular file is read: a FIFO, a terminal or /dev/zero could hold the report up for
  // ever.
  const RegularFile file(path);
  if (file.get() < 0) return noteUnopened(path, file, namedBy, notes);
  // A file that cannot be read to its end, whatever the reason, is dropped whole rather than
  // applied in part; memory running out leaves the store as it was, too.
  Properties layered = properties;
  LineNotes lineNotes(path);
  SettingLines lines(layered, lineNotes);
  const ReadEnd end = readLines(file.get(), lines);
  if (end.whole) {
    lineNotes.addTo(notes);  // before the swap, which cannot fail
    properties.swap(layered);
  } else if (end.pastLimit) {
    notes.push_back(
        note(gettext("{path}: larger than 64 MiB; none of it is used"), {{"path", path}}));
  } else {
    notes.push_back(cannotBeRead(path, end.error));
  }
}

const char* PropertyStore::find(std::string_view name) const {
  const auto found = properties.find(name);
  if (found == properties.end()) return nullptr;
  return found->second.value.c_str();
}

PropertyStore loadPropertyStore(const char* globalPath, const char* overridePath,
                                StoreNotes& notes) {
  PropertyStore store;
  store.loadFile(globalPath, NamedBy::kBuild, notes);
  // An empty OpenSLPConfig names no file: it is how a caller unsets it for one command.
  if (overridePath != nullptr && *overridePath != '\0') {
    store.loadFile(overridePath, NamedBy::kOpenSLPConfig, notes);
  }
  return store;
}
