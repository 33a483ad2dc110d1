// checked_streams.cpp: the one way bytes reach standard output and standard error.
#include "streams/checked_streams.h"

#include <fcntl.h>
#include <libintl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string_view>

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

int writeAllToStandardOutput(const char* data, std::size_t size) {
  return writeAll(STDOUT_FILENO, data, size);
}

// Writes all of `size` bytes to standard error, where a reader that has gone loses what is
// written and ends nothing: SIGPIPE stays blocked over the write, and the one the write raised
// is taken before the mask is restored. A SIGPIPE pending before stays pending: a second one
// would not have been queued. Returns 0, or the errno of the write that failed.
int writeAllToStandardError(const char* data, std::size_t size) {
  sigset_t brokenPipe;
  sigset_t previousMask;
  sigset_t pendingBefore;
  (void)sigemptyset(&brokenPipe);
  (void)sigaddset(&brokenPipe, SIGPIPE);
  (void)sigprocmask(SIG_BLOCK, &brokenPipe, &previousMask);
  (void)sigpending(&pendingBefore);
  const int error = writeAll(STDERR_FILENO, data, size);
  if (error == EPIPE && sigismember(&pendingBefore, SIGPIPE) == 0) {
    const timespec now{};
    (void)sigtimedwait(&brokenPipe, nullptr, &now);
  }
  (void)sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  return error;
}

// Ends the run with `reason` and `detail` as one line on standard error, in one write so that a
// shared log never holds a message without its newline.
[[noreturn]] void exitWithReason(std::string_view reason, std::string_view detail) {
  char line[1024];
  std::size_t size = reason.copy(line, sizeof line - 1);
  size += detail.copy(line + size, sizeof line - 1 - size);
  line[size] = '\n';
  (void)writeAllToStandardError(line, size + 1);
  _exit(kExitSystemError);
}

// A report cut short must not look complete.
[[noreturn]] void failStandardOutput(int error) {
  exitWithReason(gettext("Can't write to standard output: "), std::strerror(error));
}

// Nothing more can be said: the run ends as it would have.
void failStandardError(int /*error*/) {}

// The buffer of std::cout or std::cerr while the program runs: it writes to the stream's
// descriptor, through `writeBytes`, whatever the stream is flushed with, when it is full, and, for
// a reader who reads a line at a time, each line as soon as it ends.
class DescriptorBuffer : public std::streambuf {
 public:
  DescriptorBuffer(std::ostream& stream, int (*writeBytes)(const char* data, std::size_t size),
                   void (*failed)(int error))
      : stream(stream), replaced(stream.rdbuf(this)), writeBytes(writeBytes), failed(failed) {
    hold(0);
  }
  // Static objects are destroyed before the library's last flush of the standard streams.
  ~DescriptorBuffer() override { stream.rdbuf(replaced); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  void writeLinesAsTheyEnd(bool byLine) {
    writeBuffered();
    lineAtATime = byLine;
    hold(0);
  }

  // Emptied before the write, so that a way out that writes what the buffer holds finds
  // nothing more to write once a write has failed.
  void writeBuffered() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    discardBuffered();
    if (size == 0) return;
    const int error = writeBytes(buffer, size);
    if (error != 0) failed(error);
  }

  void discardBuffered() { hold(0); }

  // Writes what the buffer holds up to its last line end; the rest, a line cut short, is dropped,
  // so that no one reads it run into the next line of the terminal or the file.
  void writeWholeLines() {
    const std::string_view held(buffer, static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t lastEnd = held.rfind('\n');
    hold(lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    writeBuffered();
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      writeBuffered();
      return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }

  std::streamsize xsputn(const char* text, std::streamsize size) override {
    for (std::streamsize done = 0; done < size;) {
      const auto held = static_cast<std::size_t>(pptr() - pbase());
      auto piece = std::min(sizeof buffer - held, static_cast<std::size_t>(size - done));
      const void* lineEnd = lineAtATime ? std::memchr(text + done, '\n', piece) : nullptr;
      if (lineEnd != nullptr) piece = static_cast<const char*>(lineEnd) + 1 - (text + done);
      std::memcpy(buffer + held, text + done, piece);
      hold(held + piece);
      done += static_cast<std::streamsize>(piece);
      if (lineEnd != nullptr || held + piece == sizeof buffer) writeBuffered();
    }
    return size;
  }

  int sync() override {
    writeBuffered();
    return 0;
  }

 private:
  // Keeps the first `size` bytes of the buffer for a later write. A line at a time, the put
  // area has no room left: every byte then comes through overflow() or xsputn(), which see
  // each line end.
  void hold(std::size_t size) {
    setp(buffer, buffer + (lineAtATime ? size : sizeof buffer));
    pbump(static_cast<int>(size));
  }

  std::ostream& stream;
  std::streambuf* replaced;
  int (*writeBytes)(const char* data, std::size_t size);
  void (*failed)(int error);
  bool lineAtATime = false;
  char buffer[BUFSIZ];
};

DescriptorBuffer* standardOutput = nullptr;
DescriptorBuffer* standardError = nullptr;
bool outputIsTerminal = false;

// Translated before memory can run out: once it has, nothing more may be allocated.
const char* outOfMemoryText = "";

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
  static DescriptorBuffer output(std::cout, writeAllToStandardOutput, failStandardOutput);
  static DescriptorBuffer error(std::cerr, writeAllToStandardError, failStandardError);
  standardOutput = &output;
  standardError = &error;
  outputIsTerminal = isatty(STDOUT_FILENO) == 1;
  // On a terminal a person reads each line as it comes; a file or a pipe takes whole buffers.
  output.writeLinesAsTheyEnd(outputIsTerminal);
  // A line at a time, so that a message reaches a shared log in one piece.
  std::cerr.unsetf(std::ios_base::unitbuf);
  error.writeLinesAsTheyEnd(true);
  outOfMemoryText = gettext("Not enough memory");
  (void)std::atexit(flushAtExit);
}

void exitOutOfMemory() {
  if (standardOutput != nullptr) {
    standardOutput->writeWholeLines();
    // Only part of a line can be waiting there; the message takes its place.
    standardError->discardBuffered();
  }
  exitWithReason(outOfMemoryText, {});
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
