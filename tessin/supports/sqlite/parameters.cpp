#include "tessin/supports/sqlite/parameters.hpp"

#include <charconv>
#include <limits>

#include <sqlite3.h>

#include "tessin/contracts/value_binary.hpp"
#include "tessin/contracts/value_string.hpp"

namespace Tolvane::Providers::Supports {

namespace {

using Contracts::ValueObject;

std::unexpected<Core::Error> parameter_error(std::string message) {
  return Core::fail("SQLite", -1, std::move(message));
}

// The 1-based index `name` stands for in `statement`, or 0.
int index_of(sqlite3_stmt* statement, const std::string& name) {
  std::string_view digits = name;
  if (digits.starts_with('?')) {
    digits.remove_prefix(1);
  }
  int position = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), position);
  if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size()) {
    return position >= 1 && position <= sqlite3_bind_parameter_count(statement) ? position : 0;
  }
  if (name.starts_with(':') || name.starts_with('@') || name.starts_with('$')) {
    return sqlite3_bind_parameter_index(statement, name.c_str());
  }
  for (const char prefix : {':', '@', '$'}) {
    if (int index = sqlite3_bind_parameter_index(statement, (prefix + name).c_str()); index > 0) {
      return index;
    }
  }
  return 0;
}

int bind_value(sqlite3_stmt* statement, int index, const ValueObject& value) {
  if (value.get_is_null()) {
    return sqlite3_bind_null(statement, index);
  }
  if (const auto* number = dynamic_cast<const Contracts::IUnsigned*>(&value)) {
    const std::uint64_t unsigned_value = number->to_unsigned();
    if (unsigned_value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      const std::string digits = std::to_string(unsigned_value);
      return sqlite3_bind_text(statement, index, digits.data(), static_cast<int>(digits.size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(unsigned_value));
  }
  if (const auto* number = dynamic_cast<const Contracts::IInteger*>(&value)) {
    return sqlite3_bind_int64(statement, index, number->to_integer());
  }
  if (const auto* number = dynamic_cast<const Contracts::INumeric*>(&value)) {
    return sqlite3_bind_double(statement, index, number->to_double());
  }
  if (const auto* bytes = dynamic_cast<const Contracts::ValueBinary*>(&value)) {
    // A null pointer would bind NULL, not an empty blob.
    static constexpr std::uint8_t kNothing = 0;
    return sqlite3_bind_blob64(statement, index, bytes->size() > 0 ? bytes->data() : &kNothing, bytes->size(),
                               SQLITE_TRANSIENT);
  }
  if (const auto* text = dynamic_cast<const Contracts::ValueString*>(&value)) {
    const std::string& itsvalue = text->get_itsvalue();
    return sqlite3_bind_text64(statement, index, itsvalue.data(), itsvalue.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  }
  const std::string shown = value.to_string();
  return sqlite3_bind_text64(statement, index, shown.data(), shown.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// How a parameter is named in messages: as the statement writes it.
std::string shown_name(sqlite3_stmt* statement, int index) {
  const char* name = sqlite3_bind_parameter_name(statement, index);
  return name != nullptr ? std::string(name) : "?" + std::to_string(index);
}

}  // namespace

Core::Status bind_parameters(sqlite3_stmt* statement, const SQLiteParameters& parameters) {
  const int count = sqlite3_bind_parameter_count(statement);
  std::vector<bool> bound(static_cast<std::size_t>(count) + 1, false);
  int position = 0;
  for (const SQLiteParameter& parameter : parameters) {
    int index = 0;
    if (parameter.name.empty()) {
      index = ++position;
      if (index > count) {
        return parameter_error("the statement has " + std::to_string(count) + " parameters, but more values are given");
      }
    } else {
      index = index_of(statement, parameter.name);
      if (index == 0) {
        return parameter_error("the statement has no parameter " + parameter.name);
      }
      position = index;
    }
    if (!parameter.value) {
      return parameter_error("no value given for parameter " + shown_name(statement, index));
    }
    if (const int code = bind_value(statement, index, *parameter.value); code != SQLITE_OK) {
      return Core::fail("SQLite", code, sqlite3_errstr(code));
    }
    bound[static_cast<std::size_t>(index)] = true;
  }
  for (int index = 1; index <= count; ++index) {
    // A name used twice (":a ... :a") is one parameter under one index.
    if (!bound[static_cast<std::size_t>(index)]) {
      return parameter_error("no value given for parameter " + shown_name(statement, index));
    }
  }
  return {};
}

}  // namespace Tolvane::Providers::Supports
