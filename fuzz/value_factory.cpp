// The value factory's text parsing, for every data type: a value made from
// its own text form shows the same text, a clone shows the text of what it
// was cloned from, and binary values take the text's bytes as they are.
// Beside it the shortest text of a double, which must read back to the same
// double: checked on the input's first eight bytes taken as one.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/number_text.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

constexpr int kLastType = static_cast<int>(DataType::Error);

void check_double_text(double value) {
  char buffer[Tolvane::Core::kDoubleTextCapacity];
  const std::size_t length = Tolvane::Core::format_double(value, buffer);
  const std::string text(buffer, length);
  check(text == Tolvane::Core::format_double(value), "both forms of format_double write the same text", text);
  if (std::isnan(value)) {
    check(text == "nan", "not-a-number is written nan", text);
    return;
  }
  const double back = g_ascii_strtod(text.c_str(), nullptr);
  check(std::memcmp(&back, &value, sizeof value) == 0, "the shortest text of a double reads back to it", text);
  check(std::isinf(value) || text.find_first_of(".e") != std::string::npos, "a double's text is marked as a real",
        text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Tolvane::Fuzz::initialize();
  // Local dates and times are read and shown in one fixed zone, one with
  // daylight saving time, so runs repeat and its gaps are reached.
  setenv("TZ", "Europe/Berlin", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    check_double_text(value);
  }
  for (int kind = 0; kind <= kLastType; ++kind) {
    const auto type = static_cast<DataType>(kind);
    const std::string where = to_string(type) + " from " + excerpt(text);
    const ValueObjectPtr value = IValue::factory(type, text);
    check(value != nullptr, "the factory makes a value of every type", where);
    const std::string shown = value->to_string();

    if (auto binary = std::dynamic_pointer_cast<ValueBinary>(value)) {
      // Binary kinds take the bytes; their text form is not made to be read back.
      check(binary->size() == text.size() && std::string_view(reinterpret_cast<const char*>(binary->data()),
                                                              binary->size()) == text,
            "a binary value holds the text's bytes", where);
      continue;
    }

    const ValueObjectPtr again = IValue::factory(type, shown);
    check(again != nullptr && again->to_string() == shown, "a value made from its own text shows the same text",
          where + "\nshown: " + excerpt(shown) + "\nthen: " + (again ? excerpt(again->to_string()) : "(none)"));
    const ValueObjectPtr copy = value->clone();
    check(copy != nullptr && copy->to_string() == shown, "a clone shows the same text",
          where + "\nshown: " + excerpt(shown) + "\nclone: " + (copy ? excerpt(copy->to_string()) : "(none)"));
  }
  return 0;
}
