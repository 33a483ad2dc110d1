// system_error.h: how the report ends the run when the system refuses it.
#pragma once
#include <string>

// A status no completed run gives, so a script can tell the report was cut short.
constexpr int kExitSystemError = 255;

// Writes `message` as one line on standard error and ends the process at once, without
// cleaning up. Every line of the report printed so far is already written out, so nothing is
// lost by not unwinding.
[[noreturn]] void exitOnSystemError(const std::string& message);
