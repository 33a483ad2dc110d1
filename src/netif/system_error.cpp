// system_error.cpp: the one way out of the interface report on a failing system call.
#include "netif/system_error.h"

#include <cstdlib>
#include <iostream>

void exitOnSystemError(const std::string& message) {
  std::cerr << message << std::endl;
  std::exit(kExitSystemError);
}
