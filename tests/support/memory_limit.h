// memory_limit.h: leaves a process little more address space than it already uses, where
// such a limit can make an allocation fail.
#pragma once
#include <gtest/gtest.h>
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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kBuiltWithAddressSanitizer = true;
#else
constexpr bool kBuiltWithAddressSanitizer = false;
#endif

// Opens a test that needs an allocation to fail under an address-space limit.
#define SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT()                                                \
  if (kBuiltWithAddressSanitizer)                                                              \
  GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space, so an address-space " \
                  "limit cannot make an allocation fail"
