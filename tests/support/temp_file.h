// temp_file.h: a file or a directory of the test's own under /tmp, gone when the test is done
// with it.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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
    location = path;
    std::ofstream(location, std::ios::binary) << contents;
  }
  ~TempFile() { std::remove(location.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return location; }

 private:
  std::string location;
};

// Removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/tolvane-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a folder under /tmp");
    folder = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  std::string path(const std::string& name) const { return (folder / name).string(); }
  std::string path() const { return folder.string(); }

  // Writes `contents` byte for byte to `name` and returns the file's path.
  std::string write(const std::string& name, const std::string& contents) const {
    const std::string file = path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out.flush()) throw std::runtime_error("cannot write " + file);
    return file;
  }

 private:
  std::filesystem::path folder;
};
