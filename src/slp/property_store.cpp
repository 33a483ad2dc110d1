// property_store.cpp: the SLP configuration properties behind the built-in SLPGetProperty: the
// defaults, with configuration files layered over them.
#include "slp/property_store.h"

#include <fcntl.h>
#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

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
// read, 0 at the file's end, or -1 when a read fails (errno says why) or the file goes on past
// the limit (`unread` is then 0).
ssize_t readWithinLimit(int file, char* chunk, std::size_t size, std::size_t& unread) {
  ssize_t got = 0;
  do got = read(file, chunk, std::min(size, unread));
  while (got < 0 && errno == EINTR);
  if (got < 0) return -1;
  unread -= static_cast<std::size_t>(got);
  return unread == 0 ? -1 : got;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalButForCase(std::string_view left, std::string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                    [](char l, char r) { return asciiLower(l) == asciiLower(r); });
}

// The name among `values` that `name` matches in all but letter case, or nullptr. Names of one
// length stand together there, so only those of the length of `name` are looked at: most
// unknown names have a length that no name has.
const char* nameInOtherCase(std::string_view name, const Values& values) {
  static constexpr char kNothing[64] = {};  // a name of each length that sorts before the others
  if (name.size() >= sizeof kNothing) return nullptr;
  for (auto known = values.lower_bound(std::string_view(kNothing, name.size()));
       known != values.end() && known->first.size() == name.size(); ++known) {
    if (equalButForCase(known->first, name)) return known->first.c_str();
  }
  return nullptr;
}

// A name of a line that would have set the default `known` but for its letter case.
struct CaseMismatch {
  std::string_view name;
  const char* known = nullptr;
};

// Layers the setting one line makes over `values`; a comment or a line that sets nothing
// changes nothing. Returns the line's name and the default's it resembles when it sets nothing
// only for its letter case.
CaseMismatch applyLine(std::string_view line, Values& values) {
  // Callers receive values as C strings, so a NUL ends the line's text: what is stored is what
  // they can see.
  line = withoutSurroundingSpace(line.substr(0, line.find('\0')));
  if (line.empty() || line.front() == '#' || line.front() == ';') return {};
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  const std::string_view name = withoutSurroundingSpace(line.substr(0, equals));
  const std::string_view value = withoutSurroundingSpace(line.substr(equals + 1));
  // An empty value leaves the earlier one in force.
  if (name.empty() || value.empty()) return {};
  // Nothing but the properties with defaults is ever asked for, so any other name is forgotten:
  // a file of unknown keys costs no memory.
  const auto known = values.find(name);
  if (known == values.end()) return {name, nameInOtherCase(name, values)};
  known->second.assign(value);
  return {};
}

// A field of a note: {name} in its text, and the value that takes its place.
using Field = std::pair<std::string_view, std::string_view>;

// A note: "tolvane: ", then `text`, translated, with each {name} of `fields` replaced by its
// value in one pass (a path may hold braces of its own), so that a translation may put them in
// the order its language needs.
std::string note(std::string_view text, std::initializer_list<Field> fields) {
  std::string filled = "tolvane: ";
  for (std::size_t brace; (brace = text.find('{')) != std::string_view::npos;) {
    filled.append(text.substr(0, brace));
    text.remove_prefix(brace);
    const auto field = std::find_if(fields.begin(), fields.end(), [text](const Field& f) {
      return text.substr(1, f.first.size()) == f.first && text.substr(1 + f.first.size(), 1) == "}";
    });
    if (field == fields.end()) {
      filled += '{';
      text.remove_prefix(1);
    } else {
      const auto& [name, value] = *field;
      filled.append(value);
      text.remove_prefix(name.size() + 2);
    }
  }
  filled.append(text);
  return filled;
}

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

// Closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd >= 0) (void)close(fd);
  }
  int get() const { return fd; }

 private:
  int fd;
};

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// A regular file opened for reading, or why its path was not opened. Opening a device or a FIFO
// can itself do something (allocate a terminal, release a writer, arm a watchdog), so the path is
// first taken without opening what it names, and only a regular file is opened, through that
// descriptor: a path swapped meanwhile is not followed again. Without /proc there is no such
// way, and the path is opened again, looked at before and checked after.
class RegularFile {
 public:
  explicit RegularFile(const char* path) : named(open(path, O_PATH | O_CLOEXEC)) { openRead(path); }
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile() {
    if (fd >= 0) (void)close(fd);
  }
  int get() const { return fd; }
  // The errno of the call that failed, or 0.
  int error() const { return failure; }
  // The type of what the path names (S_IFDIR...) when that is no regular file, or 0.
  mode_t otherKind() const { return kind; }

 private:
  void openRead(const char* path) {
    struct stat looked;
    if (named.get() < 0 || fstat(named.get(), &looked) != 0) return failed(errno);
    if (!S_ISREG(looked.st_mode)) return notRegular(looked.st_mode);
    const std::string reopened = "/proc/self/fd/" + std::to_string(named.get());
    fd = open(reopened.c_str(), kReadFlags);
    const bool throughProc = fd >= 0 || errno != ENOENT;
    if (!throughProc) fd = open(path, kReadFlags);
    struct stat opened;
    if (fd < 0 || fstat(fd, &opened) != 0) return failed(errno);
    if (!S_ISREG(opened.st_mode)) return notRegular(opened.st_mode);
    if (throughProc && (opened.st_dev != looked.st_dev || opened.st_ino != looked.st_ino)) {
      return failed(ESTALE);  // a /proc that is not the kernel's
    }
  }
  void failed(int error) {
    failure = error;
    closeOpened();
  }
  void notRegular(mode_t mode) {
    kind = mode & S_IFMT;
    closeOpened();
  }
  void closeOpened() {
    if (fd >= 0) (void)close(fd);
    fd = -1;
  }

  Descriptor named;
  int fd = -1;
  int failure = 0;
  mode_t kind = 0;
};

// The first lines of a file that set nothing for a reason its writer may not see, noted as they
// come and kept until the file has been read to its end: a file dropped whole is noted for
// itself only. Past the first ten, such lines are only counted, so that millions of them hold no
// memory and do not flood the person reading.
class LineNotes {
 public:
  explicit LineNotes(const char* path) : path(path) {}

  void tooLong(std::size_t line) {
    if (full()) return;
    kept.push_back(note(gettext("{path}:{line}: longer than 64 KiB; this line sets nothing"),
                        {{"path", path}, {"line", std::to_string(line)}}));
  }
  void wrongCase(std::size_t line, std::string_view name, const char* known) {
    if (full()) return;
    kept.push_back(
        note(gettext("{path}:{line}: {name} is not {known} (names are "
                     "case-sensitive); this line sets nothing"),
             {{"path", path}, {"line", std::to_string(line)}, {"name", name}, {"known", known}}));
  }
  void addTo(StoreNotes& notes) const {
    notes.insert(notes.end(), kept.begin(), kept.end());
    if (unshown == 0) return;
    notes.push_back(note(gettext("{path}: {count} more lines set nothing"),
                         {{"path", path}, {"count", std::to_string(unshown)}}));
  }

 private:
  // Counts the line when ten are kept already.
  bool full() {
    if (kept.size() < kShown) return false;
    ++unshown;
    return true;
  }

  static constexpr std::size_t kShown = 10;
  const char* path;
  StoreNotes kept;
  std::size_t unshown = 0;
};

// Layers the lines of a file over `values` one by one, counting them from 1 (a line that opens
// with a byte-order mark is the first), and notes those that set nothing unseen.
class LineLayer {
 public:
  LineLayer(Values& values, LineNotes& notes) : values(values), notes(notes) {}
  void whole(std::string_view line) {
    ++number;
    const CaseMismatch mismatch = applyLine(line, values);
    if (mismatch.known != nullptr) notes.wrongCase(number, mismatch.name, mismatch.known);
  }
  void tooLong() { notes.tooLong(++number); }

 private:
  Values& values;
  LineNotes& notes;
  std::size_t number = 0;
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
  // Layers the line, then starts the next.
  void end(LineLayer& layer) {
    if (dropped) {
      layer.tooLong();
    } else {
      layer.whole(line());
    }
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

// How reading a file ended: at its end, or not (a read failed, or the file went on past the
// read limit), with the errno of the read that failed.
struct ReadEnd {
  bool whole = false;
  bool pastLimit = false;
  int error = 0;
};

// Layers each line of the file open on `file` as soon as it has been read whole, so that memory
// holds one line, never the file.
ReadEnd applyLines(int file, LineLayer& layer) {
  PendingLine pending;
  char chunk[8192];
  std::size_t unread = kReadLimit + 1;
  for (;;) {
    const ssize_t got = readWithinLimit(file, chunk, sizeof chunk, unread);
    if (got < 0) return {false, unread == 0, errno};
    if (got == 0) {
      pending.end(layer);  // a last line without a newline counts too
      return {true};
    }
    std::string_view text(chunk, static_cast<std::size_t>(got));
    std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos) {
      pending.append(text.substr(0, newline));
      pending.end(layer);
      text.remove_prefix(newline + 1);
      // The lines that lie whole in this chunk, neither first nor long, are read where they are.
      while ((newline = text.find('\n')) != std::string_view::npos) {
        layer.whole(text.substr(0, newline));
        text.remove_prefix(newline + 1);
      }
    }
    pending.append(text);
  }
}

// The note of a file that changes nothing, by why it was not opened.
void noteUnopened(const char* path, const RegularFile& file, NamedBy namedBy, StoreNotes& notes) {
  if (file.otherKind() != 0) {
    notes.push_back(
        note(gettext("{path}: not a regular file ({kind}); its settings are not in the report"),
             {{"path", path}, {"kind", kindText(file.otherKind())}}));
  } else if (file.error() != ENOENT) {
    notes.push_back(cannotBeRead(path, file.error()));
  } else if (namedBy == NamedBy::kOpenSLPConfig) {
    // A missing global file is a host without SLP configuration; a file the user named should
    // be there.
    notes.push_back(note(gettext("{path}: no such file (named by OpenSLPConfig); its settings "
                                 "are not in the report"),
                         {{"path", path}}));
  }
}

}  // namespace

PropertyStore::PropertyStore() {
  for (const Default& entry : kDefaults) values[entry.name] = entry.value;
}

void PropertyStore::loadFile(const char* path, NamedBy namedBy, StoreNotes& notes) {
  // Only a regular file is read: a FIFO, a terminal or /dev/zero could hold the report up for
  // ever.
  const RegularFile file(path);
  if (file.get() < 0) return noteUnopened(path, file, namedBy, notes);
  // A file that cannot be read to its end, whatever the reason, is dropped whole rather than
  // applied in part; memory running out leaves the store as it was, too.
  Values layered = values;
  LineNotes lineNotes(path);
  LineLayer layer(layered, lineNotes);
  const ReadEnd end = applyLines(file.get(), layer);
  if (end.whole) {
    lineNotes.addTo(notes);  // before the swap, which cannot fail
    values.swap(layered);
  } else if (end.pastLimit) {
    notes.push_back(
        note(gettext("{path}: larger than 64 MiB; none of it is used"), {{"path", path}}));
  } else {
    notes.push_back(cannotBeRead(path, end.error));
  }
}

const char* PropertyStore::find(std::string_view name) const {
  const auto found = values.find(name);
  if (found == values.end()) return nullptr;
  return found->second.c_str();
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
