#include "tools/tolvane/command_line.hpp"

#include <algorithm>
#include <numeric>

namespace Tolvane::Cli {

CommandWord first_command_word(int argc, char** argv, const std::vector<std::string>& valued) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") {
      return i + 1 < argc ? CommandWord{static_cast<std::size_t>(i + 1), argv[i + 1]} : CommandWord{};
    }
    if (word.empty() || word[0] != '-') {
      return {static_cast<std::size_t>(i), word};
    }
    if (std::find(valued.begin(), valued.end(), word) != valued.end()) {
      ++i;  // its value
    }
  }
  return {};
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), 0);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::optional<std::string> nearest_command(const std::string& word, const std::vector<std::string>& names) {
  std::optional<std::string> best;
  std::size_t best_distance = 3;
  for (const std::string& name : names) {
    if (word.size() >= 2 && name.starts_with(word)) {
      return name;
    }
    const std::size_t distance = edit_distance(word, name);
    if (distance < best_distance) {
      best_distance = distance;
      best = name;
    }
  }
  return best;
}

}  // namespace Tolvane::Cli
