#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Cli {

// One cell of a row on its way to an output writer: the storage class and a
// view of the value. It owns nothing; the texts and bytes belong to whoever
// filled the row (a reader's buffers, a value object) and stay valid until the
// writer has taken the row. A row is a span of cells, one per column.
struct Cell {
  enum class Kind : std::uint8_t { Null, Integer, Unsigned, Real, Text, Blob };

  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  std::uint64_t unsigned_integer = 0;
  double real = 0.0;
  // Text (UTF-8) or blob bytes.
  std::string_view bytes;

  static Cell null() { return {}; }
  static Cell of_integer(std::int64_t value) { return {Kind::Integer, value, 0, 0.0, {}}; }
  static Cell of_real(double value) { return {Kind::Real, 0, 0, value, {}}; }
  static Cell of_text(std::string_view text) { return {Kind::Text, 0, 0, 0.0, text}; }
  static Cell of_blob(std::string_view data) { return {Kind::Blob, 0, 0, 0.0, data}; }
};

using Row = std::span<const Cell>;

// The cell for a value object of a result model. Texts that the value has to
// make (dates, uuids, ...) go to `scratch`, which must outlive the cell.
Cell cell_of_value(const Providers::Contracts::ValueObjectPtr& value, std::string& scratch);

// The shortest text that reads back as the same double, always with a decimal
// point or an exponent so it reads back as a real ("1.0", "-0.0", "1e+308");
// "NaN", "Inf" and "-Inf" for the values that have no digits. Appended to `out`.
void append_real(std::string& out, double value);
// The decimal text of an integer, appended to `out`.
void append_integer(std::string& out, std::int64_t value);
void append_unsigned(std::string& out, std::uint64_t value);
// Upper-case hexadecimal digits of `bytes`, appended to `out`.
void append_hex(std::string& out, std::string_view bytes);

// Writes line feed, carriage return and tab as the two-character escapes \n,
// \r and \t, which the table, TSV and JSON share; false for any other
// character (nothing written).
inline bool append_break_escape(std::string& out, char c) {
  switch (c) {
    case '\n':
      out += "\\n";
      return true;
    case '\r':
      out += "\\r";
      return true;
    case '\t':
      out += "\\t";
      return true;
    default:
      return false;
  }
}

// Writes '&', '<' and '>' as HTML entities; false for any other character.
inline bool append_markup_entity(std::string& out, char c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return true;
    case '<':
      out += "&lt;";
      return true;
    case '>':
      out += "&gt;";
      return true;
    default:
      return false;
  }
}

// The plain text of a number or text cell (the real and integer forms above);
// blobs give their bytes, NULL gives "".
void append_plain(std::string& out, const Cell& cell);

}  // namespace Tolvane::Cli
