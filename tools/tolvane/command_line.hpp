#pragma once

#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace Tolvane::Cli {

// What the words of a command line name before the parser sees them: the
// parser knows only the commands it was given, so `tolvane quer` and
// `tolvane help query` are recognised here.
struct CommandWord {
  std::size_t index = 0;  // position in argv; 0 when there is none
  std::string word;
};

// The first word that is neither an option of the main command nor the
// value of one (the main options that take a value are listed in `valued`).
CommandWord first_command_word(int argc, char** argv, const std::vector<std::string>& valued);

// The command closest to a mistyped name (a prefix, or at most two edits
// away), if any.
std::optional<std::string> nearest_command(const std::string& word, const std::vector<std::string>& names);

// Edit distance between two words (insertions, deletions, substitutions).
std::size_t edit_distance(const std::string& a, const std::string& b);

}  // namespace Tolvane::Cli
