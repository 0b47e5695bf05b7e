#include "tools/tolvane/result_printer.hpp"

#include <charconv>
#include <cmath>
#include <vector>

#include <json-glib/json-glib.h>

#include "tessin/contracts/values.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Cli {

using namespace Providers::Contracts;

bool parse_output_format(const std::string& text, OutputFormat& format) {
  if (text == "table") {
    format = OutputFormat::Table;
  } else if (text == "tsv") {
    format = OutputFormat::Tsv;
  } else if (text == "json-lines") {
    format = OutputFormat::JsonLines;
  } else {
    return false;
  }
  return true;
}

namespace {

// The shortest text that reads back as the same double.
std::string exact_double(double number) {
  if (std::isnan(number)) {
    return "NaN";
  }
  if (std::isinf(number)) {
    return number < 0 ? "-Inf" : "Inf";
  }
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
  (void)ec;
  return std::string(buffer, end);
}

bool is_numeric(const ValueObject& value) {
  return dynamic_cast<const IInteger*>(&value) != nullptr || dynamic_cast<const INumeric*>(&value) != nullptr;
}

std::string hex_of(const ValueBinary& blob) { return blob.to_hexadecimal(); }

std::string text_of(const ValueObjectPtr& value) {
  if (const auto* real = dynamic_cast<const INumeric*>(value.get())) {
    return exact_double(real->to_double());
  }
  return value->to_string();
}

// Terminal columns taken by UTF-8 text (wide characters count twice).
std::size_t display_width(const std::string& text) {
  if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return text.size();
  }
  std::size_t width = 0;
  for (const char* p = text.c_str(); *p != '\0'; p = g_utf8_next_char(p)) {
    gunichar c = g_utf8_get_char(p);
    if (g_unichar_iszerowidth(c)) {
      continue;
    }
    width += g_unichar_iswide(c) ? 2 : 1;
  }
  return width;
}

std::string escape_tsv(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\t':
        result += "\\t";
        break;
      case '\n':
        result += "\\n";
        break;
      case '\r':
        result += "\\r";
        break;
      case '\\':
        result += "\\\\";
        break;
      default:
        result.push_back(c);
    }
  }
  return result;
}

void print_table(std::FILE* out, const TableModel& model, bool colour) {
  const auto& columns = model.get_columns();
  const auto& rows = model.get_rows();
  const std::size_t n = columns.size();
  std::vector<std::size_t> widths(n);
  std::vector<bool> right(n, false);
  std::vector<std::vector<std::string>> cells;
  cells.reserve(rows.size());
  for (std::size_t c = 0; c < n; ++c) {
    widths[c] = display_width(columns[c]->get_name());
  }
  for (const RowModelPtr& row : rows) {
    std::vector<std::string> line(n);
    for (std::size_t c = 0; c < n; ++c) {
      ValueObjectPtr value = row->get_value_at(static_cast<int>(c));
      line[c] = display_text(value);
      widths[c] = std::max(widths[c], display_width(line[c]));
      if (value && is_numeric(*value)) {
        right[c] = true;
      }
    }
    cells.push_back(std::move(line));
  }
  auto pad = [out](std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      std::fputc(' ', out);
    }
  };
  for (std::size_t c = 0; c < n; ++c) {
    if (c > 0) {
      std::fputs("  ", out);
    }
    const std::string& name = columns[c]->get_name();
    std::fputs(name.c_str(), out);
    if (c + 1 < n) {
      pad(widths[c] - display_width(name));
    }
  }
  std::fputc('\n', out);
  for (std::size_t c = 0; c < n; ++c) {
    if (c > 0) {
      std::fputs("  ", out);
    }
    for (std::size_t i = 0; i < widths[c]; ++i) {
      std::fputc('-', out);
    }
  }
  std::fputc('\n', out);
  for (std::size_t r = 0; r < cells.size(); ++r) {
    for (std::size_t c = 0; c < n; ++c) {
      if (c > 0) {
        std::fputs("  ", out);
      }
      const std::string& text = cells[r][c];
      const std::size_t gap = widths[c] - display_width(text);
      ValueObjectPtr value = rows[r]->get_value_at(static_cast<int>(c));
      const bool null = !value || value->get_is_null();
      if (right[c]) {
        pad(gap);
      }
      if (null && colour) {
        std::fputs("\033[2m", out);
      }
      std::fputs(text.c_str(), out);
      if (null && colour) {
        std::fputs("\033[0m", out);
      }
      if (!right[c] && c + 1 < n) {
        pad(gap);
      }
    }
    std::fputc('\n', out);
  }
}

void print_tsv(std::FILE* out, const TableModel& model) {
  const auto& columns = model.get_columns();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) {
      std::fputc('\t', out);
    }
    std::fputs(escape_tsv(columns[c]->get_name()).c_str(), out);
  }
  std::fputc('\n', out);
  for (const RowModelPtr& row : model.get_rows()) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) {
        std::fputc('\t', out);
      }
      ValueObjectPtr value = row->get_value_at(static_cast<int>(c));
      if (!value || value->get_is_null()) {
        std::fputs("\\N", out);
      } else if (const auto* blob = dynamic_cast<const ValueBinary*>(value.get())) {
        std::fputs(("\\\\x" + hex_of(*blob)).c_str(), out);
      } else {
        std::fputs(escape_tsv(text_of(value)).c_str(), out);
      }
    }
    std::fputc('\n', out);
  }
}

void print_json_lines(std::FILE* out, const TableModel& model) {
  const auto& columns = model.get_columns();
  std::vector<std::string> names;
  names.reserve(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::string name = columns[c]->get_name();
    int repeat = 1;
    for (std::size_t earlier = 0; earlier < c; ++earlier) {
      if (columns[earlier]->get_name() == columns[c]->get_name()) {
        ++repeat;
      }
    }
    if (repeat > 1) {
      name += ":" + std::to_string(repeat);
    }
    names.push_back(std::move(name));
  }
  for (const RowModelPtr& row : model.get_rows()) {
    Core::Json::ObjectRef object = Core::Json::ObjectRef::adopt(json_object_new());
    for (std::size_t c = 0; c < columns.size(); ++c) {
      ValueObjectPtr value = row->get_value_at(static_cast<int>(c));
      JsonObject* o = object.get();
      const char* name = names[c].c_str();
      if (!value || value->get_is_null()) {
        json_object_set_null_member(o, name);
      } else if (const auto* boolean = dynamic_cast<const ValueBoolean*>(value.get())) {
        json_object_set_boolean_member(o, name, boolean->get_boolean());
      } else if (const auto* real = dynamic_cast<const INumeric*>(value.get())) {
        const double number = real->to_double();
        if (std::isfinite(number)) {
          json_object_set_double_member(o, name, number);
        } else {
          json_object_set_string_member(o, name, exact_double(number).c_str());
        }
      } else if (const auto* big = dynamic_cast<const ValueUInt64*>(value.get());
                 big != nullptr && big->get_uint64() > static_cast<std::uint64_t>(INT64_MAX)) {
        json_object_set_string_member(o, name, big->to_string().c_str());
      } else if (const auto* integer = dynamic_cast<const IInteger*>(value.get())) {
        json_object_set_int_member(o, name, integer->to_integer());
      } else if (const auto* blob = dynamic_cast<const ValueBinary*>(value.get())) {
        gchar* encoded = g_base64_encode(blob->data(), blob->size());
        json_object_set_string_member(o, name, encoded);
        g_free(encoded);
      } else {
        json_object_set_string_member(o, name, value->to_string().c_str());
      }
    }
    std::string line = Core::Json::to_text(Core::Json::node_of(object.get()).get());
    std::fputs(line.c_str(), out);
    std::fputc('\n', out);
  }
}

}  // namespace

std::string display_text(const ValueObjectPtr& value) {
  if (!value || value->get_is_null()) {
    return "NULL";
  }
  if (const auto* blob = dynamic_cast<const ValueBinary*>(value.get())) {
    constexpr std::size_t kShown = 16;
    if (blob->size() <= kShown) {
      return "x'" + blob->to_hexadecimal() + "'";
    }
    ValueBinary head(blob->data(), kShown);
    return "x'" + head.to_hexadecimal() + "…' (" + std::to_string(blob->size()) + " bytes)";
  }
  std::string text = text_of(value);
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

void print_model(std::FILE* out, const TableModel& model, OutputFormat format, bool colour) {
  switch (format) {
    case OutputFormat::Table:
      print_table(out, model, colour);
      break;
    case OutputFormat::Tsv:
      print_tsv(out, model);
      break;
    case OutputFormat::JsonLines:
      print_json_lines(out, model);
      break;
  }
}

}  // namespace Tolvane::Cli
