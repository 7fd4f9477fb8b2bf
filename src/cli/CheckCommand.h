#pragma once
// vellumo-check: the checker's report for files and folders, without a window.

#include <iosfwd>

namespace vellumo {

/// Exit statuses of the command.
enum CheckExit { kAllPassed = 0, kSomeFailed = 1, kSomeUnchecked = 2 };

/// Runs the command on its arguments, writing reports to `out` and errors to `err`.
int RunCheckCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace vellumo
