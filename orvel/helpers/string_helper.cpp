#include "orvel/helpers/string_helper.hpp"

#include <unordered_set>

#include <glib.h>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/regex.hpp"

namespace Tolvane::Orvel::Helpers {

namespace {

std::string upper(std::string_view text) {
  return Core::take_std(g_utf8_strup(text.data(), static_cast<gssize>(text.size())));
}

std::string lower(std::string_view text) {
  return Core::take_std(g_utf8_strdown(text.data(), static_cast<gssize>(text.size())));
}

bool ascii_equal_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (g_ascii_tolower(a[i]) != g_ascii_tolower(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view trim_space(std::string_view text) {
  while (!text.empty() && g_ascii_isspace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && g_ascii_isspace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// Compares with `test(value, text)`, both upper-cased without case sensitivity.
template <class Test>
int search(std::span<const std::string> values, std::string_view text, bool case_sensitive, Test test) {
  std::string folded_text = case_sensitive ? std::string() : upper(text);
  std::string_view wanted = case_sensitive ? text : std::string_view(folded_text);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (case_sensitive ? test(std::string_view(values[i]), wanted) : test(std::string_view(upper(values[i])), wanted)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

const Core::TypeInfo& StringHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersStringHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<StringHelper>(), {});
  return info;
}

std::string StringHelper::proper_case(std::string_view str) {
  static const Core::Regex word("[\\w']+", G_REGEX_CASELESS | G_REGEX_MULTILINE);
  std::string result;
  result.reserve(str.size());
  Core::GMatchInfoPtr match = word.match(str);
  std::size_t copied = 0;
  while (match && g_match_info_matches(match.get())) {
    gint start = 0;
    gint end = 0;
    g_match_info_fetch_pos(match.get(), 0, &start, &end);
    result.append(str.substr(copied, static_cast<std::size_t>(start) - copied));
    std::string piece = lower(str.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    if (!piece.empty()) {
      piece[0] = g_ascii_toupper(piece[0]);
    }
    result += piece;
    copied = static_cast<std::size_t>(end);
    if (!g_match_info_next(match.get(), nullptr)) {
      break;
    }
  }
  result.append(str.substr(copied));
  return result;
}

std::string StringHelper::stringify_data(const TextMap& data, std::string_view delimiter) {
  std::string text;
  for (const auto& [key, value] : data) {
    text += key;
    if (value) {
      text += '=';
      text += *value;
    }
    text += delimiter;
  }
  return text;
}

StringHelper::TextMap StringHelper::arraify_data(std::string_view text, std::string_view delimiter) {
  TextMap map;
  auto take = [&map](std::string_view piece) {
    if (piece.empty()) {
      return;
    }
    std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
      map.insert_or_assign(std::string(piece), std::nullopt);
    } else {
      map.insert_or_assign(std::string(piece.substr(0, equals)), std::string(piece.substr(equals + 1)));
    }
  };
  if (delimiter.empty()) {
    take(text);
    return map;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t at = text.find(delimiter, start);
    if (at == std::string_view::npos) {
      take(text.substr(start));
      break;
    }
    take(text.substr(start, at - start));
    start = at + delimiter.size();
  }
  return map;
}

std::string StringHelper::trim_chars(std::string_view text, std::string_view chars) {
  if (chars.empty()) {
    return std::string(text);
  }
  // Inserted as they stand, "]" would close the class early, "\\" escape the
  // next character, a leading "^" negate the set and "-" make ranges, so each
  // of them (and "[", which could open a POSIX class) is escaped.
  std::string set;
  for (char c : chars) {
    if (c == ']' || c == '\\' || c == '^' || c == '-' || c == '[') {
      set += '\\';
    }
    set += c;
  }
  std::string pattern = "^[" + set + "]+|[" + set + "]+$";
  Core::Regex expression(pattern.c_str(), G_REGEX_DOLLAR_ENDONLY);
  if (!expression.valid()) {
    return std::string(text);
  }
  return expression.replace_literal(text, "");
}

bool StringHelper::contains_array(std::string_view text, std::span<const std::string> needles, bool case_sensitive) {
  return index_with_array(text, needles, case_sensitive) >= 0;
}

std::int64_t StringHelper::index_with_array(std::string_view text, std::span<const std::string> needles,
                                            bool case_sensitive) {
  std::string folded = case_sensitive ? std::string() : upper(text);
  std::string_view haystack = case_sensitive ? text : std::string_view(folded);
  for (const std::string& needle : needles) {
    std::size_t at = case_sensitive ? haystack.find(needle) : haystack.find(upper(needle));
    if (at != std::string_view::npos) {
      return static_cast<std::int64_t>(at);
    }
  }
  return -1;
}

int StringHelper::search_array(std::span<const std::string> values, std::string_view text, bool case_sensitive) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (case_sensitive ? values[i] == text : ascii_equal_nocase(values[i], text)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int StringHelper::search_array_prefix(std::span<const std::string> values, std::string_view text,
                                      bool case_sensitive) {
  return search(values, text, case_sensitive,
                [](std::string_view value, std::string_view wanted) { return value.starts_with(wanted); });
}

int StringHelper::search_array_suffix(std::span<const std::string> values, std::string_view text,
                                      bool case_sensitive) {
  return search(values, text, case_sensitive,
                [](std::string_view value, std::string_view wanted) { return value.ends_with(wanted); });
}

bool StringHelper::prefix_with_array(std::string_view text, std::span<const std::string> values,
                                     bool case_sensitive) {
  return search(values, text, case_sensitive,
                [](std::string_view value, std::string_view whole) { return whole.starts_with(value); }) >= 0;
}

bool StringHelper::suffix_with_array(std::string_view text, std::span<const std::string> values,
                                     bool case_sensitive) {
  return search(values, text, case_sensitive,
                [](std::string_view value, std::string_view whole) { return whole.ends_with(value); }) >= 0;
}

std::optional<std::string> StringHelper::replace_array(std::string_view plain, std::span<const std::string> old_texts,
                                                       std::span<const std::string> new_texts) {
  TOLVANE_RETURN_VAL_IF_FAIL(old_texts.size() == new_texts.size(), "old_texts.length == new_texts.length",
                             std::nullopt);
  std::string result(plain);
  for (std::size_t i = 0; i < old_texts.size(); ++i) {
    const std::string& from = old_texts[i];
    const std::string& to = new_texts[i];
    if (from.empty() || from == to) {
      continue;
    }
    std::string next;
    next.reserve(result.size());
    std::size_t start = 0;
    for (std::size_t at = result.find(from); at != std::string::npos; at = result.find(from, start)) {
      next.append(result, start, at - start);
      next += to;
      start = at + from.size();
    }
    next.append(result, start, std::string::npos);
    result = std::move(next);
  }
  return result;
}

StringHelper::Diff StringHelper::diff_array(std::span<const std::string> old_values,
                                            std::span<const std::string> new_values) {
  std::unordered_set<std::string_view> old_set;
  for (const std::string& value : old_values) {
    old_set.insert(trim_space(value));
  }
  std::unordered_set<std::string_view> new_set;
  for (const std::string& value : new_values) {
    new_set.insert(trim_space(value));
  }
  Diff diff;
  for (const std::string& value : new_values) {
    std::string_view entry = trim_space(value);
    if (!entry.empty()) {
      (old_set.contains(entry) ? diff.kept : diff.added).emplace_back(entry);
    }
  }
  for (const std::string& value : old_values) {
    std::string_view entry = trim_space(value);
    if (!entry.empty() && !new_set.contains(entry)) {
      diff.removed.emplace_back(entry);
    }
  }
  return diff;
}

}  // namespace Tolvane::Orvel::Helpers
