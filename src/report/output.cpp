// output.cpp: the row layout, the words rows share, and the one way bytes reach standard
// output.
#include "report/output.h"

#include <libintl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>

#include "report/system_error.h"

// Looked up once, in this order, before the report starts; rows only read them.
const char* const noText = gettext("NO");
const char* const yesText = gettext("YES");
const char* const secondsText = gettext(" sec.");

namespace {

// Writes all of `size` bytes or ends the run: a report cut short must not look complete.
void writeStandardOutput(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, size);
    if (written >= 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    const int error = errno;
    if (error == EINTR) continue;
    // A descriptor left non-blocking by whoever started us: wait until it takes more.
    if (error == EAGAIN || error == EWOULDBLOCK) {
      pollfd ready{STDOUT_FILENO, POLLOUT, 0};
      (void)poll(&ready, 1, -1);
      continue;
    }
    exitOnSystemError(gettext("Can't write to standard output: ") +
                      std::string(std::strerror(error)));
  }
}

class StandardOutputBuffer : public std::streambuf {
 public:
  StandardOutputBuffer() : replaced_(std::cout.rdbuf(this)) { setp(buffer_, buffer_ + BUFSIZ); }
  // Static objects are destroyed before the library's last flush of std::cout.
  ~StandardOutputBuffer() override { std::cout.rdbuf(replaced_); }
  StandardOutputBuffer(const StandardOutputBuffer&) = delete;
  StandardOutputBuffer& operator=(const StandardOutputBuffer&) = delete;

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
  // Emptied before the write: a failing write ends the run with a line on std::cerr, which
  // flushes std::cout first, and that flush must find nothing more to write.
  void writeBuffered() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_, buffer_ + BUFSIZ);
    writeStandardOutput(buffer_, size);
  }

  std::streambuf* replaced_;
  char buffer_[BUFSIZ];
};

// The parser ends the process itself after the help or the version; what it wrote since its
// last flush is written here, and checked like every other line.
void flushAtExit() { std::cout.flush(); }

}  // namespace

void printRowHead(const char* label) { std::cout << gettext(label) << "\t\t"; }

void printLineEnd() { std::cout << std::endl; }

void printYesNo(bool value) {
  std::cout << (value ? yesText : noText);
  printLineEnd();
}

void useCheckedStandardOutput() {
  static StandardOutputBuffer buffer;
  (void)std::atexit(flushAtExit);
}
