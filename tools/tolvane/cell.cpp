#include "tools/tolvane/cell.hpp"

#include <charconv>
#include <cmath>

#include "tessin/contracts/values.hpp"
#include "tessin/core/number_text.hpp"

namespace Tolvane::Cli {

using namespace Providers::Contracts;

void append_real(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-Inf" : "Inf";
    return;
  }
  char buffer[Core::kDoubleTextCapacity];
  out.append(buffer, Core::format_double(value, buffer));
}

void append_integer(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  out.append(buffer, end);
}

void append_unsigned(std::string& out, std::uint64_t value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  out.append(buffer, end);
}

void append_hex(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t start = out.size();
  out.resize(start + bytes.size() * 2);
  char* p = out.data() + start;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *p++ = kDigits[byte >> 4];
    *p++ = kDigits[byte & 0x0F];
  }
}

void append_plain(std::string& out, const Cell& cell) {
  switch (cell.kind) {
    case Cell::Kind::Null:
      break;
    case Cell::Kind::Integer:
      append_integer(out, cell.integer);
      break;
    case Cell::Kind::Unsigned:
      append_unsigned(out, cell.unsigned_integer);
      break;
    case Cell::Kind::Real:
      append_real(out, cell.real);
      break;
    case Cell::Kind::Text:
    case Cell::Kind::Blob:
      out += cell.bytes;
      break;
  }
}

Cell cell_of_value(const ValueObjectPtr& value, std::string& scratch) {
  if (!value || value->get_is_null()) {
    return Cell::null();
  }
  if (const auto* blob = dynamic_cast<const ValueBinary*>(value.get())) {
    return Cell::of_blob({reinterpret_cast<const char*>(blob->data()), blob->size()});
  }
  if (const auto* real = dynamic_cast<const INumeric*>(value.get())) {
    return Cell::of_real(real->to_double());
  }
  if (const auto* big = dynamic_cast<const ValueUInt64*>(value.get())) {
    Cell cell;
    cell.kind = Cell::Kind::Unsigned;
    cell.unsigned_integer = big->get_uint64();
    return cell;
  }
  if (const auto* integer = dynamic_cast<const IInteger*>(value.get())) {
    return Cell::of_integer(integer->to_integer());
  }
  scratch = value->to_string();
  return Cell::of_text(scratch);
}

}  // namespace Tolvane::Cli
