// system_error.cpp: the one way out of the report on a failing system call.
#include "report/system_error.h"

#include <unistd.h>

#include <iostream>

void exitOnSystemError(const std::string& message) {
  std::cerr << message << std::endl;
  _exit(kExitSystemError);
}
