#pragma once
// The program's version, one string for the windows, the command-line programs and the
// package (set in the top CMakeLists.txt).

namespace vellumo {

/// The version as the user sees it, for example "2.1b" (the checker's caption adds "Ver.").
const char* ProgramVersion();

}  // namespace vellumo
