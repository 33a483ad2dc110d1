// bounded_file.cpp: a configuration file opened only when it is a regular file, and read line by
// line within bounds.
#include "slp/bounded_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

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

// The folder of this process's descriptors, open, when it is the kernel's; else -1. A /proc of
// another file system (an empty tmpfs, or one whose links name a device) would open whatever it
// says.
int openKernelDescriptorFolder() {
  const int folder = open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct statfs system;
  if (folder >= 0 && fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC) {
    return folder;
  }
  if (folder >= 0) (void)close(folder);
  return -1;
}

// What an editor may put at the very start of a file saved as UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view firstLine) {
  if (firstLine.rfind(kByteOrderMark, 0) == 0) firstLine.remove_prefix(kByteOrderMark.size());
  return firstLine;
}

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

// A line that a chunk ends before its newline, kept until the newline comes, as far as it can
// still be handed on.
class PendingLine {
 public:
  // Adds `piece`, or drops the line, and the rest of it, once it outgrows the line bound.
  void append(std::string_view piece) {
    if (dropped) return;
    text.append(piece);
    dropped = line().size() > kLongestLine;
    if (dropped) text.clear();
  }
  // Hands the line on, then starts the next.
  void end(LineSink& sink) {
    if (dropped) {
      sink.tooLong();
    } else {
      sink.line(line());
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

}  // namespace

RegularFile::RegularFile(const char* path) {
  const Descriptor named(::open(path, O_PATH | O_CLOEXEC));
  if (named.get() < 0) {
    refuse(OpenRefusal::kFailed, errno);
  } else {
    open(named.get());
  }
}

RegularFile::~RegularFile() {
  if (fd >= 0) (void)close(fd);
}

void RegularFile::open(int named) {
  struct stat looked;
  if (fstat(named, &looked) != 0) return refuse(OpenRefusal::kFailed, errno);
  if (!S_ISREG(looked.st_mode)) return refuse(OpenRefusal::kNotRegular, 0, looked.st_mode);
  const Descriptor descriptors(openKernelDescriptorFolder());
  if (descriptors.get() < 0) return refuse(OpenRefusal::kNoKernelProc);
  char number[16] = {};
  (void)std::to_chars(number, number + sizeof number - 1, named);
  fd = openat(descriptors.get(), number, kReadFlags);
  struct stat opened;
  if (fd < 0 || fstat(fd, &opened) != 0) return refuse(OpenRefusal::kFailed, errno);
  // What the kernel reopens is the file looked at; anything else is refused all the same.
  if (!S_ISREG(opened.st_mode)) return refuse(OpenRefusal::kNotRegular, 0, opened.st_mode);
  if (opened.st_dev != looked.st_dev || opened.st_ino != looked.st_ino) {
    return refuse(OpenRefusal::kFailed, ESTALE);
  }
}

void RegularFile::refuse(OpenRefusal reason, int error, mode_t otherKind) {
  why = reason;
  failure = error;
  kind = otherKind & S_IFMT;
  if (fd >= 0) (void)close(fd);
  fd = -1;
}

ReadEnd readLines(int file, LineSink& sink) {
  PendingLine pending;
  char chunk[8192];
  std::size_t unread = kReadLimit + 1;
  for (;;) {
    const ssize_t got = readWithinLimit(file, chunk, sizeof chunk, unread);
    if (got < 0) return {false, unread == 0, errno};
    if (got == 0) {
      pending.end(sink);  // a last line without a newline counts too
      return {true};
    }
    std::string_view text(chunk, static_cast<std::size_t>(got));
    std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos) {
      pending.append(text.substr(0, newline));
      pending.end(sink);
      text.remove_prefix(newline + 1);
      // The lines that lie whole in this chunk, neither first nor long, are handed on where
      // they are.
      while ((newline = text.find('\n')) != std::string_view::npos) {
        sink.line(text.substr(0, newline));
        text.remove_prefix(newline + 1);
      }
    }
    pending.append(text);
  }
}
