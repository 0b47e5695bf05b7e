#include "tessin/supports/sqlite/open_options.hpp"

#include <charconv>
#include <optional>

#include <glib.h>

namespace Tolvane::Providers::Supports {

namespace {

bool is_separator(char c) { return c == ',' || c == ';' || c == ' '; }

// The quoted value starting at the quote `text[open]`: its content and the
// position just past the closing quote, or nothing when the quote is not
// closed right before a separator or the end (then the value is plain text).
std::optional<std::pair<std::string, std::size_t>> quoted_at(std::string_view text, std::size_t open) {
  std::string value;
  for (std::size_t at = open + 1; at < text.size(); ++at) {
    if (text[at] != '"') {
      value.push_back(text[at]);
      continue;
    }
    if (at + 1 < text.size() && text[at + 1] == '"') {
      value.push_back('"');
      ++at;
      continue;
    }
    if (at + 1 == text.size() || is_separator(text[at + 1])) {
      return std::pair{std::move(value), at + 1};
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    c = g_ascii_tolower(c);
  }
  return result;
}

std::unexpected<Core::Error> option_error(std::string message) { return Core::fail("SQLite", -1, std::move(message)); }

}  // namespace

std::vector<SQLiteOpenOptions::Piece> SQLiteOpenOptions::piece_spans(std::string_view options) {
  std::vector<Piece> result;
  std::size_t at = 0;
  while (at < options.size()) {
    if (is_separator(options[at])) {
      ++at;
      continue;
    }
    const std::size_t start = at;
    while (at < options.size() && !is_separator(options[at]) && options[at] != '=') {
      ++at;
    }
    std::string name(options.substr(start, at - start));
    if (at == options.size() || options[at] != '=') {
      result.push_back(Piece{std::move(name), std::string(), start, at});
      continue;
    }
    const std::size_t value_start = at + 1;
    if (value_start < options.size() && options[value_start] == '"') {
      if (auto quoted = quoted_at(options, value_start)) {
        at = quoted->second;
        result.push_back(Piece{std::move(name), std::move(quoted->first), start, at});
        continue;
      }
    }
    at = value_start;
    while (at < options.size() && !is_separator(options[at])) {
      ++at;
    }
    result.push_back(Piece{std::move(name), std::string(options.substr(value_start, at - value_start)), start, at});
  }
  return result;
}

std::vector<std::pair<std::string, std::string>> SQLiteOpenOptions::pieces(std::string_view options) {
  std::vector<std::pair<std::string, std::string>> result;
  for (auto& piece : piece_spans(options)) {
    result.emplace_back(std::move(piece.name), std::move(piece.value));
  }
  return result;
}

std::string SQLiteOpenOptions::piece(std::string_view name, std::string_view value) {
  std::string result(name);
  result.push_back('=');
  const bool plain = (value.empty() || value.front() != '"') &&
                     value.find_first_of(",; ") == std::string_view::npos;
  if (plain) {
    result.append(value);
    return result;
  }
  result.push_back('"');
  for (char c : value) {
    if (c == '"') {
      result.push_back('"');
    }
    result.push_back(c);
  }
  result.push_back('"');
  return result;
}

Core::Result<SQLiteOpenOptions> SQLiteOpenOptions::parse(std::string_view options) {
  SQLiteOpenOptions parsed;
  bool keyed = false;
  std::vector<std::pair<std::string, std::string>> others;
  for (auto& [name, value] : pieces(options)) {
    if (name == "PASSWORD") {
      // The first key counts, as it always has.
      if (!keyed) {
        parsed.key = std::move(value);
        keyed = true;
      }
    } else if (name == "BUSY_TIMEOUT") {
      auto timeout = whole_number(value);
      if (!timeout || *timeout < 0) {
        return option_error("BUSY_TIMEOUT needs a number of milliseconds, not \"" + value + "\"");
      }
      parsed.busy_timeout = *timeout;
    } else if (name == "READONLY") {
      const std::string flag = lower(value);
      if (flag == "true" || flag == "1" || flag == "yes" || flag == "on") {
        parsed.read_only = true;
      } else if (flag == "false" || flag == "0" || flag == "no" || flag == "off") {
        parsed.read_only = false;
      } else {
        return option_error("READONLY needs true or false, not \"" + value + "\"");
      }
    } else if (name == "CIPHER") {
      parsed.cipher = lower(value);
    } else {
      others.emplace_back(std::move(name), std::move(value));
    }
  }
  if (parsed.cipher.empty()) {
    return parsed;
  }
  for (auto& [name, value] : others) {
    auto number = whole_number(value);
    if (!number) {
      return option_error("the cipher parameter " + name + " needs a whole number, not \"" + value + "\"");
    }
    parsed.cipher_parameters.emplace_back(lower(name), *number);
  }
  return parsed;
}

}  // namespace Tolvane::Providers::Supports
