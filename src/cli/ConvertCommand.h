#pragma once
// vellumo-convert: the viewer's pixel operations and writers as a batch pipeline.

#include <iosfwd>
#include <string>
#include <vector>

namespace vellumo {

/// Exit statuses: 0 written (or --info printed), 2 anything refused or failed (nothing is
/// written then). --drawing adds 1 for a drawing written with faults (see DrawingExit).
enum ConvertExit { kConvertDone = 0, kConvertFailed = 2 };

/// Runs the command on its arguments (argv[0] is the program), writing --info to `out`
/// and every message to `err`.
int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vellumo
