// exit_status.h: the statuses the program ends with, named in this one place.
#pragma once

// kExitSystemError is a status no completed run gives: a script tells a report cut short.
enum ExitStatus { kExitSuccess = 0, kExitUsage = 1, kExitSystemError = 255 };
