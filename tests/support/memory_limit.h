// memory_limit.h: leaves a process little more address space than it already uses.
#pragma once
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

// For the child of a death test: the limit holds until that process ends.
inline void limitAddressSpace(rlim_t headroom) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + headroom;
  const rlimit space{limit, limit};
  setrlimit(RLIMIT_AS, &space);
}
