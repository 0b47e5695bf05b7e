#pragma once

#include <string>
#include <string_view>

namespace Tolvane::Cli {

// The message for a shell dot-command met in a script (".tables", ".schema t"):
// it is not SQL, so it is refused, naming the tolvane command or the SQL that
// does the same where there is one.
std::string dot_command_refusal(std::string_view line);

}  // namespace Tolvane::Cli
