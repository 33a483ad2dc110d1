// process.h: runs a program to completion and keeps what it wrote.
#pragma once
#include <string>
#include <vector>

struct ProcessResult {
  std::string out;      // everything written to standard output
  std::string err;      // everything written to standard error
  int exitStatus = -1;  // the exit status, or -1 when a signal ended the process
  int signal = 0;       // the signal that ended it, or 0
};

// Runs argv[0] (looked up in PATH when it has no slash) with argv as its argument vector,
// the test's environment plus `environment` ("NAME=value", overriding), and no standard input.
// An empty argv starts the program with no argument vector at all.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {});

// Convenience: `program` with argv = {program, args...}.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment = {});

// Runs a shell command line (sh -c) and returns what it did.
ProcessResult runShell(const std::string& command,
                       const std::vector<std::string>& environment = {});
