#pragma once

namespace Tolvane::Cli {

// Exit codes of the tolvane command, listed in its --help.
enum ExitCode : int {
  kSuccess = 0,
  kStatementFailed = 1,   // a statement or query failed in the database
  kUsage = 2,             // the command line was wrong
  kCannotOpen = 3,        // the database could not be opened (missing, not a database, wrong key, refused login)
  kProfileFailure = 4,    // the profile file could not be read or written, or names no such profile
  kInputFailure = 5,      // an input or output file could not be read or written
  kDifferent = 10,        // diff: the two databases' structures differ
  kInterrupted = 130,     // ended by Ctrl-C or a termination request (128 + SIGINT, as shells count)
  kOutputClosed = 141,    // the reader of standard output went away (128 + SIGPIPE, as shells count)
};

inline constexpr const char* kExitCodeHelp =
    "Exit codes: 0 success; 1 a statement failed; 2 wrong usage; 3 the database could not be opened;\n"
    "4 profile file error or unknown profile; 5 an input or output file could not be read or written;\n"
    "130 interrupted (Ctrl-C); 141 the reader of the output went away.";

}  // namespace Tolvane::Cli
