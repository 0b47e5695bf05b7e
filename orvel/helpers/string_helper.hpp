#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Helpers {

// Text operations offered to the host and used inside the library. Texts are
// UTF-8; "without case sensitivity" means both sides upper-cased with GLib's
// Unicode upper-casing, except `search_array`, which compares ASCII letters
// without case.
class ORVEL_API StringHelper : public Core::Object {
  TOLVANE_OBJECT(StringHelper)

  // Key-value texts ("a=1;b;c=x=y"); a key without "=" has no value.
  using TextMap = std::map<std::string, std::optional<std::string>>;

  struct Diff {
    std::vector<std::string> kept;     // in both, in the new order
    std::vector<std::string> removed;  // only in the old values
    std::vector<std::string> added;    // only in the new values
  };

  // Every word (letters, digits, '_' and '\'') lower-cased with its first byte
  // upper-cased: "hello o'neil WORLD" gives "Hello O'neil World".
  static std::string proper_case(std::string_view str);
  // "key=value<delimiter>" for each entry in key order, the last delimiter kept;
  // an entry without value is written as "key<delimiter>", which `arraify_data`
  // reads back as such.
  static std::string stringify_data(const TextMap& data, std::string_view delimiter);
  // Splits at each delimiter, then each non-empty piece at its first "="; later
  // keys win.
  static TextMap arraify_data(std::string_view text, std::string_view delimiter);
  // Removes every run of the characters in `chars` from both ends. Each
  // character of `chars` stands for itself: "]", "\\", "^", "-" and "[" are
  // escaped before they go into the character class, so there are no ranges.
  static std::string trim_chars(std::string_view text, std::string_view chars);

  static bool contains_array(std::string_view text, std::span<const std::string> needles, bool case_sensitive);
  // Byte position (in the upper-cased text without case sensitivity) of the first
  // needle, in array order, that occurs; -1 when none does.
  static std::int64_t index_with_array(std::string_view text, std::span<const std::string> needles,
                                       bool case_sensitive);
  // Index of the first value equal to / starting with / ending with the text; -1 when none.
  static int search_array(std::span<const std::string> values, std::string_view text, bool case_sensitive);
  static int search_array_prefix(std::span<const std::string> values, std::string_view text, bool case_sensitive);
  static int search_array_suffix(std::span<const std::string> values, std::string_view text, bool case_sensitive);
  static bool prefix_with_array(std::string_view text, std::span<const std::string> values, bool case_sensitive);
  static bool suffix_with_array(std::string_view text, std::span<const std::string> values, bool case_sensitive);
  // Replaces, in array order, every occurrence of old_texts[i] with new_texts[i]
  // in the running result, skipping empty old texts and unchanged pairs. Null,
  // with a critical, when the arrays differ in length.
  static std::optional<std::string> replace_array(std::string_view plain, std::span<const std::string> old_texts,
                                                  std::span<const std::string> new_texts);
  // Compares two lists of entries trimmed of white space, skipping empty ones;
  // the lists hold the trimmed entries.
  static Diff diff_array(std::span<const std::string> old_values, std::span<const std::string> new_values);
};

}  // namespace Tolvane::Orvel::Helpers
