// The options text of a profile. Its pieces lie in order in the text with only
// separators between them, each piece read alone gives itself again, pieces
// written by `piece` read back to exactly their names and values, alone or in
// a list, and the key `parse` takes is the first PASSWORD piece's.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz/support/fuzz_support.hpp"
#include "tessin/supports/sqlite/open_options.hpp"

namespace {

using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;
using Tolvane::Providers::Supports::SQLiteOpenOptions;

bool is_separator(char c) { return c == ',' || c == ';' || c == ' '; }

void check_spans(std::string_view text) {
  const auto spans = SQLiteOpenOptions::piece_spans(text);
  std::size_t end = 0;
  for (const auto& span : spans) {
    const std::string where = excerpt(text) + "\npiece: " + excerpt(span.name) + "=" + excerpt(span.value);
    check(span.begin >= end && span.begin < span.end && span.end <= text.size(),
          "pieces lie in order inside the text", where);
    for (std::size_t i = end; i < span.begin; ++i) {
      check(is_separator(text[i]), "only separators lie between pieces", where);
    }
    const auto alone = SQLiteOpenOptions::piece_spans(text.substr(span.begin, span.end - span.begin));
    check(alone.size() == 1 && alone[0].name == span.name && alone[0].value == span.value,
          "a piece read alone gives itself", where);
    end = span.end;
  }
  for (std::size_t i = end; i < text.size(); ++i) {
    check(is_separator(text[i]), "only separators follow the last piece", excerpt(text));
  }

  const auto parsed = SQLiteOpenOptions::parse(text);
  if (parsed) {
    std::string first_key;
    for (const auto& span : spans) {
      if (span.name == "PASSWORD") {
        first_key = span.value;
        break;
      }
    }
    check(parsed->key == first_key, "the key is the first PASSWORD piece's value", excerpt(text));
  }
}

std::string consume_name(FuzzedDataProvider& input) {
  std::string name = input.ConsumeRandomLengthString(12);
  std::erase_if(name, [](char c) { return is_separator(c) || c == '='; });
  return name.empty() ? "PASSWORD" : name;
}

void check_written_pieces(FuzzedDataProvider& input) {
  const std::string name = consume_name(input);
  const std::string value = input.ConsumeRandomLengthString(40);
  const std::string other_name = consume_name(input);
  const std::string other_value = input.ConsumeRemainingBytesAsString();
  const std::string written = SQLiteOpenOptions::piece(name, value);
  const auto alone = SQLiteOpenOptions::pieces(written);
  check(alone.size() == 1 && alone[0].first == name && alone[0].second == value,
        "a written piece reads back to its name and value", excerpt(written));

  const std::string list = written + ";" + SQLiteOpenOptions::piece(other_name, other_value) + "," + written;
  const auto both = SQLiteOpenOptions::pieces(list);
  check(both.size() == 3 && both[0] == alone[0] && both[2] == alone[0] && both[1].first == other_name &&
            both[1].second == other_value,
        "written pieces read back in a list", excerpt(list));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check_spans(Tolvane::Fuzz::as_text(data, size));
  FuzzedDataProvider input(data, size);
  check_written_pieces(input);
  return 0;
}
