// temp_file.h: a file of the test's own under /tmp, gone when the test is done with it.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

class TempFile {
 public:
  explicit TempFile(const std::string& contents) {
    char path[] = "/tmp/tolvane-test-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) throw std::runtime_error("cannot create a file under /tmp");
    close(fd);
    path_ = path;
    std::ofstream(path_, std::ios::binary) << contents;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
