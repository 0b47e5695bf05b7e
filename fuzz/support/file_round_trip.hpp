#pragma once

// The property of the trees the libraries keep in a JSON file of the user's
// (the profile file, the settings file).

#include <string>
#include <string_view>

#include "fuzz/support/fuzz_support.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Fuzz {

// Loads `text` as the file `name` into `tree`. Text that fails to load leaves
// the tree as it was, and so does text nested deeper than the JSON limit,
// which must fail; text that loads saves, and loads back into a fresh tree as
// the same text. Returns whether it loaded.
template <class Tree>
bool check_file_round_trip(Tree& tree, std::string_view text, std::string_view name) {
  const std::string path = write_scratch_file(name, text);
  const std::string before = tree.to_text();
  if (!tree.load(path)) {
    check(tree.to_text() == before, "a failed load leaves the tree as it was", excerpt(text));
    return false;
  }
  check(json_depth(text) <= Core::Json::kMaxDepth, "text nested too deeply is refused", excerpt(text));

  const std::string first = tree.to_text();
  const std::string where = "input: " + excerpt(text) + "\nloaded: " + excerpt(first, 400);
  const auto saved = tree.save();
  check(static_cast<bool>(saved), "a loaded tree can be saved", where + "\n" + (saved ? "" : saved.error().message));
  auto reread = Tree::create();
  const auto loaded = reread->load(path);
  check(static_cast<bool>(loaded), "a saved tree loads", where + "\n" + (loaded ? "" : loaded.error().message));
  check(reread->to_text() == first, "a saved tree loads as it was saved",
        where + "\nthen: " + excerpt(reread->to_text(), 400));
  return true;
}

}  // namespace Tolvane::Fuzz
