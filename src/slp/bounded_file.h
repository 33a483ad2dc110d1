// bounded_file.h: a configuration file opened only when it is a regular file, and read line by
// line within bounds, so that neither what the path names nor what the file holds can hold the
// reader up or take its memory.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string_view>

// The longest line that is handed on, its newline not counted; a longer one is skipped to its
// end without being kept.
constexpr std::size_t kLongestLine = std::size_t{64} * 1024;
// The most of a file that is read: a longer file, or one that never ends (/proc/self/pagemap),
// is not read beyond this point.
constexpr std::size_t kReadLimit = std::size_t{64} * 1024 * 1024;

// Why a path was not opened for reading.
enum class OpenRefusal {
  kNone,         // it was opened
  kFailed,       // a call failed: error() says why (ENOENT: the path names nothing)
  kNotRegular,   // it names a directory, a FIFO, a socket or a device: otherKind() says which
  kNoKernelProc  // a regular file, but without the kernel's /proc it cannot be opened safely
};

// A regular file opened for reading, or why its path was not opened. Opening a device or a FIFO
// can itself do something (allocate a terminal, release a writer, arm a watchdog), so the path is
// first taken without opening what it names, and only a regular file is opened, through the
// kernel's /proc/self/fd: a path swapped meanwhile is not followed again. Where /proc is not the
// kernel's (none mounted, or another file system in its place) nothing is opened by path.
class RegularFile {
 public:
  explicit RegularFile(const char* path);
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // The descriptor open for reading, or -1.
  int get() const { return fd; }
  OpenRefusal refusal() const { return why; }
  // The errno of the call that failed, for kFailed.
  int error() const { return failure; }
  // The type of what the path names (S_IFDIR...), for kNotRegular.
  mode_t otherKind() const { return kind; }

 private:
  void open(int named);
  void refuse(OpenRefusal reason, int error = 0, mode_t otherKind = 0);

  int fd = -1;
  OpenRefusal why = OpenRefusal::kNone;
  int failure = 0;
  mode_t kind = 0;
};

// Takes the lines of a file as they are read. Lines are counted from 1; the first one is handed
// on without a UTF-8 byte-order mark that opens it.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // A line of at most kLongestLine bytes, without its newline.
  virtual void line(std::string_view text) = 0;
  // A line longer than that, which is not kept.
  virtual void tooLong() = 0;
};

// How reading a file ended: at its end, or not (a read failed, or the file went on past the
// read limit), with the errno of the read that failed.
struct ReadEnd {
  bool whole = false;
  bool pastLimit = false;
  int error = 0;
};

// Hands each line of the file open on `file` to `sink` as soon as it has been read whole (a
// last line without a newline too), so that memory holds one line, never the file.
ReadEnd readLines(int file, LineSink& sink);
