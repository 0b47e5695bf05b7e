// The text helpers. `trim_chars` removes exactly the leading and trailing
// characters of its set (checked against a plain loop over the characters),
// key-value texts read back what `stringify_data` wrote, the list diff
// accounts for every entry, and the caller-given formats of the time-stamp
// helper never read or write past their buffers, whatever they hold.

#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <vector>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/helpers/date_time_helper.hpp"
#include "orvel/helpers/string_helper.hpp"

namespace {

using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;
using Tolvane::Orvel::Helpers::DateTimeHelper;
using Tolvane::Orvel::Helpers::StringHelper;

bool is_text(std::string_view text) {
  return text.find('\0') == std::string_view::npos &&
         g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) != FALSE;
}

// The reference: whole characters of `chars` removed from both ends.
std::string trimmed(std::string_view text, std::string_view chars) {
  std::set<gunichar> set;
  for (const char* p = chars.data(); p < chars.data() + chars.size(); p = g_utf8_next_char(p)) {
    set.insert(g_utf8_get_char(p));
  }
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  while (begin < end && set.contains(g_utf8_get_char(begin))) {
    begin = g_utf8_next_char(begin);
  }
  while (end > begin) {
    const char* last = g_utf8_prev_char(end);
    if (!set.contains(g_utf8_get_char(last))) {
      break;
    }
    end = last;
  }
  return std::string(begin, end);
}

void check_trim(std::string_view text, std::string_view chars) {
  const std::string result = StringHelper::trim_chars(text, chars);
  if (is_text(text) && is_text(chars)) {
    check(result == trimmed(text, chars), "trim_chars removes exactly the set's characters at both ends",
          "text: " + excerpt(text) + "\nchars: " + excerpt(chars) + "\nresult: " + excerpt(result));
  }
}

void check_key_values(FuzzedDataProvider& input) {
  std::string delimiter = input.ConsumeRandomLengthString(4);
  if (delimiter.empty()) {
    delimiter = ";";
  }
  StringHelper::TextMap map;
  const int count = input.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < count; ++i) {
    std::string key = input.ConsumeRandomLengthString(16);
    std::optional<std::string> value;
    if (input.ConsumeBool()) {
      value = input.ConsumeRandomLengthString(16);
    }
    map.insert_or_assign(std::move(key), std::move(value));
  }
  const std::string text = StringHelper::stringify_data(map, delimiter);
  const auto back = StringHelper::arraify_data(text, delimiter);
  // What can be written so that it reads back: keys that are not empty and
  // hold neither '=' nor the delimiter, values without the delimiter, and a
  // delimiter that cannot be formed across the edge of a key or value.
  bool readable = delimiter.find('=') == std::string::npos;
  for (const auto& [key, value] : map) {
    readable = readable && !key.empty() && key.find('=') == std::string::npos &&
               (key + delimiter).find(delimiter) == key.size() &&
               (!value || (*value + delimiter).find(delimiter) == value->size());
  }
  if (readable) {
    check(back == map, "arraify_data reads back what stringify_data wrote",
          "delimiter: " + excerpt(delimiter) + "\ntext: " + excerpt(text));
  }
}

void check_diff(FuzzedDataProvider& input) {
  std::vector<std::string> old_values;
  std::vector<std::string> new_values;
  for (int i = input.ConsumeIntegralInRange(0, 5); i > 0; --i) {
    old_values.push_back(input.ConsumeRandomLengthString(8));
  }
  for (int i = input.ConsumeIntegralInRange(0, 5); i > 0; --i) {
    new_values.push_back(input.ConsumeRandomLengthString(8));
  }
  const auto diff = StringHelper::diff_array(old_values, new_values);
  auto entries = [](const std::vector<std::string>& values) {
    std::set<std::string> set;
    for (const auto& value : values) {
      std::string_view entry = value;
      while (!entry.empty() && g_ascii_isspace(entry.front())) {
        entry.remove_prefix(1);
      }
      while (!entry.empty() && g_ascii_isspace(entry.back())) {
        entry.remove_suffix(1);
      }
      if (!entry.empty()) {
        set.emplace(entry);
      }
    }
    return set;
  };
  const auto old_set = entries(old_values);
  const auto new_set = entries(new_values);
  std::set<std::string> kept_and_added(diff.kept.begin(), diff.kept.end());
  kept_and_added.insert(diff.added.begin(), diff.added.end());
  std::set<std::string> kept_and_removed(diff.kept.begin(), diff.kept.end());
  kept_and_removed.insert(diff.removed.begin(), diff.removed.end());
  check(kept_and_added == new_set, "kept and added entries are the new entries");
  check(kept_and_removed == old_set, "kept and removed entries are the old entries");
  for (const auto& entry : diff.kept) {
    check(old_set.contains(entry) && new_set.contains(entry), "a kept entry is in both lists", excerpt(entry));
  }
}

void check_formats(FuzzedDataProvider& input) {
  const std::string format = input.ConsumeRandomLengthString(32);
  const std::string ms_format = input.ConsumeRandomLengthString(32);
  // GLib takes date-time formats in UTF-8 only (another is a caller's error);
  // the milliseconds' format is the helper's own and takes any bytes.
  const std::string date_format = is_text(format) ? format : "%Y";
  (void)DateTimeHelper::datetime_as_string(date_format);
  (void)DateTimeHelper::datetime_as_string_ms(date_format, ms_format);
  const auto span = input.ConsumeIntegral<std::int64_t>();
  (void)DateTimeHelper::format_time_span(span);
  (void)DateTimeHelper::format_time_span_micro(span);
  (void)DateTimeHelper::format_time_span_unit(span);
}

void check_case(std::string_view text) {
  const std::string result = StringHelper::proper_case(text);
  if (is_text(text)) {
    check(is_text(result), "proper_case of UTF-8 text is UTF-8 text", excerpt(text));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string chars = input.ConsumeRandomLengthString(8);
  const std::string text = input.ConsumeRandomLengthString(256);
  check_trim(text, chars);
  check_case(text);
  check_formats(input);
  check_key_values(input);
  check_diff(input);
  return 0;
}
