// output.cpp: the row layout, the words rows share, and the one way bytes reach standard
// output and standard error.
#include "report/output.h"

#include <libintl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <streambuf>
#include <string>

#include "report/system_error.h"

// Looked up once, in this order, before the report starts; rows only read them.
const char* const noText = gettext("NO");
const char* const yesText = gettext("YES");
const char* const secondsText = gettext(" sec.");

namespace {

// Writes all of `size` bytes to `fd`. Returns 0, or the errno of the write that failed.
int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written >= 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    const int error = errno;
    if (error == EINTR) continue;
    // A descriptor left non-blocking by whoever started us: wait until it takes more.
    if (error == EAGAIN || error == EWOULDBLOCK) {
      pollfd ready{fd, POLLOUT, 0};
      (void)poll(&ready, 1, -1);
      continue;
    }
    return error;
  }
  return 0;
}

// A report cut short must not look complete.
[[noreturn]] void failStandardOutput(int error) {
  exitOnSystemError(gettext("Can't write to standard output: ") +
                    std::string(std::strerror(error)));
}

// Nothing more can be said: the run ends as it would have.
void failStandardError(int /*error*/) {}

// The buffer of std::cout or std::cerr while the program runs: it writes to the stream's
// descriptor whatever the stream is flushed with, and when a line outgrows it.
class DescriptorBuffer : public std::streambuf {
 public:
  DescriptorBuffer(std::ostream& stream, int fd, void (*failed)(int error))
      : stream_(stream), replaced_(stream.rdbuf(this)), fd_(fd), failed_(failed) {
    setp(buffer_, buffer_ + sizeof buffer_);
  }
  // Static objects are destroyed before the library's last flush of the standard streams.
  ~DescriptorBuffer() override { stream_.rdbuf(replaced_); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  // Emptied before the write: a failing write of standard output ends the run with a line on
  // std::cerr, which flushes std::cout first, and that flush must find nothing more to write.
  void writeBuffered() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    discardBuffered();
    if (size == 0) return;
    const int error = writeAll(fd_, buffer_, size);
    if (error != 0) failed_(error);
  }

  void discardBuffered() { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override {
    writeBuffered();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return sputc(traits_type::to_char_type(c));
  }

  int sync() override {
    writeBuffered();
    return 0;
  }

 private:
  std::ostream& stream_;
  std::streambuf* replaced_;
  int fd_;
  void (*failed_)(int error);
  char buffer_[BUFSIZ];
};

DescriptorBuffer* standardOutput = nullptr;
DescriptorBuffer* standardError = nullptr;
bool flushEachLine = true;  // standard output is a terminal, or not yet known otherwise

// Made before memory can run out: once it has, nothing more may be allocated.
char outOfMemoryLine[256];
std::size_t outOfMemoryLength = 0;

[[noreturn]] void exitOutOfMemory() {
  standardOutput->writeBuffered();
  // Only part of a line can be waiting there; the message takes its place.
  standardError->discardBuffered();
  (void)writeAll(STDERR_FILENO, outOfMemoryLine, outOfMemoryLength);
  _exit(kExitSystemError);
}

// The parser ends the process itself after the help, the version or a parse failure; what it
// wrote since the last flush is written here, and checked like everything else.
void flushAtExit() {
  std::cout.flush();
  std::cerr.flush();
}

}  // namespace

void printRowHead(const char* label) { std::cout << gettext(label) << "\t\t"; }

void printLineEnd() {
  std::cout.put('\n');
  if (flushEachLine) std::cout.flush();
}

void printYesNo(bool value) {
  std::cout << (value ? yesText : noText);
  printLineEnd();
}

void useCheckedStandardStreams() {
  static DescriptorBuffer output(std::cout, STDOUT_FILENO, failStandardOutput);
  static DescriptorBuffer error(std::cerr, STDERR_FILENO, failStandardError);
  standardOutput = &output;
  standardError = &error;
  // A reader at a terminal sees each line as it comes; a file or a pipe takes whole buffers.
  flushEachLine = isatty(STDOUT_FILENO) == 1;
  // A line at a time, so that a message reaches a shared log in one piece.
  std::cerr.unsetf(std::ios_base::unitbuf);

  const int length =
      std::snprintf(outOfMemoryLine, sizeof outOfMemoryLine, "%s\n", gettext("Not enough memory"));
  outOfMemoryLength =
      std::min(static_cast<std::size_t>(std::max(length, 0)), sizeof outOfMemoryLine - 1);
  outOfMemoryLine[outOfMemoryLength - 1] = '\n';
  std::set_new_handler(exitOutOfMemory);
  (void)std::atexit(flushAtExit);
}
