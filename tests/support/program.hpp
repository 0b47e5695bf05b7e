#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Tolvane::Testing {

struct ProgramRun {
  int exit_code = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program to its end and collects what it wrote: the first argument is
// the program (looked up on the path unless it holds a '/'), standard input
// comes from /dev/null, and `environment` is set over a copy of this process's
// environment. A program that cannot be started fails the running test.
ProgramRun run_program(std::vector<std::string> arguments,
                       const std::vector<std::pair<std::string, std::string>>& environment = {});

}  // namespace Tolvane::Testing
