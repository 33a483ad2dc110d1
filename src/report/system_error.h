// system_error.h: how the report ends the run when the system refuses it.
#pragma once
#include <string>

// A status no completed run gives, so a script can tell the report was cut short.
constexpr int kExitSystemError = 255;

// Writes `message` as one line on standard error and ends the process at once, without
// cleaning up. std::cerr is tied to std::cout, so every line of the report printed so far is
// written out before the message, and nothing is lost by not unwinding.
[[noreturn]] void exitOnSystemError(const std::string& message);
