// checked_streams.cpp: the one way bytes reach standard output and standard error.
#include "streams/checked_streams.h"

#include <fcntl.h>
#include <libintl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <streambuf>

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

// Ends the run with `reason` and `detail` as one line on standard error, in one write so that a
// shared log never holds a message without its newline.
[[noreturn]] void exitWithReason(std::string_view reason, std::string_view detail) {
  char line[1024];
  std::size_t size = reason.copy(line, sizeof line - 1);
  size += detail.copy(line + size, sizeof line - 1 - size);
  line[size] = '\n';
  (void)writeAll(STDERR_FILENO, line, size + 1);
  _exit(kExitSystemError);
}

// A report cut short must not look complete.
[[noreturn]] void failStandardOutput(int error) {
  exitWithReason(gettext("Can't write to standard output: "), std::strerror(error));
}

// Nothing more can be said: the run ends as it would have.
void failStandardError(int /*error*/) {}

// The buffer of std::cout or std::cerr while the program runs: it writes to the stream's
// descriptor whatever the stream is flushed with, and when a line outgrows it.
class DescriptorBuffer : public std::streambuf {
 public:
  DescriptorBuffer(std::ostream& stream, int fd, void (*failed)(int error))
      : stream(stream), replaced(stream.rdbuf(this)), fd(fd), failed(failed) {
    setp(buffer, buffer + sizeof buffer);
  }
  // Static objects are destroyed before the library's last flush of the standard streams.
  ~DescriptorBuffer() override { stream.rdbuf(replaced); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  // Emptied before the write, so that a way out that writes what the buffer holds finds
  // nothing more to write once a write has failed.
  void writeBuffered() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    discardBuffered();
    if (size == 0) return;
    const int error = writeAll(fd, buffer, size);
    if (error != 0) failed(error);
  }

  void discardBuffered() { setp(buffer, buffer + sizeof buffer); }

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
  std::ostream& stream;
  std::streambuf* replaced;
  int fd;
  void (*failed)(int error);
  char buffer[BUFSIZ];
};

DescriptorBuffer* standardOutput = nullptr;
DescriptorBuffer* standardError = nullptr;
bool outputIsTerminal = false;

// Translated before memory can run out: once it has, nothing more may be allocated.
const char* outOfMemoryText = "";

[[noreturn]] void exitOutOfMemory() {
  standardOutput->writeBuffered();
  // Only part of a line can be waiting there; the message takes its place.
  standardError->discardBuffered();
  exitWithReason(outOfMemoryText, {});
}

// The parser ends the process itself after the help, the version or a parse failure; what it
// wrote since the last flush is written here, and checked like everything else.
void flushAtExit() {
  std::cout.flush();
  std::cerr.flush();
}

}  // namespace

void useCheckedStandardStreams() {
  // A standard descriptor left closed gets /dev/null, so that nothing the program opens takes
  // its number; read-only, so that a write to it fails as it would have (EBADF), and without
  // waiting, where /dev/null is no device but a FIFO.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      (void)open("/dev/null", O_RDONLY | O_NONBLOCK | O_NOCTTY);
    }
  }
  static DescriptorBuffer output(std::cout, STDOUT_FILENO, failStandardOutput);
  static DescriptorBuffer error(std::cerr, STDERR_FILENO, failStandardError);
  standardOutput = &output;
  standardError = &error;
  outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  // A line at a time, so that a message reaches a shared log in one piece.
  std::cerr.unsetf(std::ios_base::unitbuf);
  outOfMemoryText = gettext("Not enough memory");
  std::set_new_handler(exitOutOfMemory);
  (void)std::atexit(flushAtExit);
}

bool standardOutputIsTerminal() { return outputIsTerminal; }

void exitOnSystemError(std::string_view reason, std::string_view detail) {
  // Without the checked streams (a test of one module), std::cout flushes as it always does.
  if (standardOutput != nullptr) {
    standardOutput->writeBuffered();
  } else {
    std::cout.flush();
  }
  exitWithReason(reason, detail);
}
