// checked_streams.h: standard output and standard error as the program writes them: every
// write checked, buffered for whoever reads them, and the one way out when the system refuses.
#pragma once

#include <string_view>

#include "streams/exit_status.h"

// Makes std::cout and std::cerr write through buffers of the program's own, before anything is
// written to either, and opens /dev/null on a standard descriptor left closed. What standard output
// holds is written before anything goes to standard error, and once more when the process exits; a
// write of it that fails ends the run with the reason and kExitSystemError. Standard output is
// written a line at a time, each line as soon as it ends, on a terminal, and in whole buffers
// elsewhere; a write of it whose reader has gone raises SIGPIPE, as for other tools (and fails as
// any other where SIGPIPE is ignored). Standard error is written a line at a time; when it cannot
// be written, its reader gone included, nothing more can be said, and the run goes on to the
// status it would have had: no write of it raises SIGPIPE. Both wait for room on a descriptor left
// non-blocking and retry an interrupted write.
void useCheckedStandardStreams();

// Whether standard output is a terminal, where a person reads each line as it comes. False until
// the streams are checked.
bool standardOutputIsTerminal();

// The program's answer to memory running out, for std::set_new_handler: writes what standard
// output holds up to its last whole line, then "Not enough memory" on standard error, and ends
// the process with kExitSystemError, allocating nothing on the way out.
[[noreturn]] void exitOutOfMemory();

// Writes what standard output holds, then `reason` and `detail` as one line in one write on
// standard error, and ends the process at once with kExitSystemError, whatever became of standard
// error, without unwinding: nothing of the report printed so far is lost, and nothing is
// allocated on the way out.
[[noreturn]] void exitOnSystemError(std::string_view reason, std::string_view detail = {});
