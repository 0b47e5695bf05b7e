#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Tolvane::Testing {

struct ProgramRun {
  int exit_code = -1;  // 128 + the signal when the program was killed
  std::string out;
  std::string err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// How to run a program: the variables set over a copy of this process's
// environment, those removed from it, and the file standard input comes from
// (empty: /dev/null).
struct ProgramSetup {
  Environment environment;
  std::vector<std::string> unset;
  std::string input_file;
};

// Runs a program to its end and collects what it wrote: the first argument is
// the program (looked up on the path unless it holds a '/'). A program that
// cannot be started fails the running test. Output may hold NUL bytes only in
// files: what is collected here ends at the first one.
ProgramRun run_program(std::vector<std::string> arguments, const ProgramSetup& setup);
inline ProgramRun run_program(std::vector<std::string> arguments, const Environment& environment = {}) {
  return run_program(std::move(arguments), ProgramSetup{environment, {}, {}});
}

}  // namespace Tolvane::Testing
