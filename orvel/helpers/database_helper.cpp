#include "orvel/helpers/database_helper.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "orvel/helpers/file_type_helper.hpp"
#include "orvel/model/meta_table.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/number_text.hpp"

namespace Tolvane::Orvel::Helpers {

using Providers::Contracts::DataType;
using Providers::Contracts::IInteger;
using Providers::Contracts::INumeric;
using Providers::Contracts::ValueBinary;
using Providers::Contracts::ValueObject;

const Core::TypeInfo& DatabaseHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersDatabaseHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<DatabaseHelper>(), {});
  return info;
}

namespace {

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ident_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\n\r\f\v";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// SQLite's keywords, sorted: a name spelled like one must be quoted even when
// it is otherwise a plain identifier.
constexpr std::array<std::string_view, 147> kKeywords{
    "ABORT", "ACTION", "ADD", "AFTER", "ALL", "ALTER", "ALWAYS", "ANALYZE", "AND", "AS", "ASC", "ATTACH",
    "AUTOINCREMENT", "BEFORE", "BEGIN", "BETWEEN", "BY", "CASCADE", "CASE", "CAST", "CHECK", "COLLATE", "COLUMN",
    "COMMIT", "CONFLICT", "CONSTRAINT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
    "CURRENT_TIMESTAMP", "DATABASE", "DEFAULT", "DEFERRABLE", "DEFERRED", "DELETE", "DESC", "DETACH", "DISTINCT",
    "DO", "DROP", "EACH", "ELSE", "END", "ESCAPE", "EXCEPT", "EXCLUDE", "EXCLUSIVE", "EXISTS", "EXPLAIN", "FAIL",
    "FILTER", "FIRST", "FOLLOWING", "FOR", "FOREIGN", "FROM", "FULL", "GENERATED", "GLOB", "GROUP", "GROUPS",
    "HAVING", "IF", "IGNORE", "IMMEDIATE", "IN", "INDEX", "INDEXED", "INITIALLY", "INNER", "INSERT", "INSTEAD",
    "INTERSECT", "INTO", "IS", "ISNULL", "JOIN", "KEY", "LAST", "LEFT", "LIKE", "LIMIT", "MATCH", "MATERIALIZED",
    "NATURAL", "NO", "NOT", "NOTHING", "NOTNULL", "NULL", "NULLS", "OF", "OFFSET", "ON", "OR", "ORDER", "OTHERS",
    "OUTER", "OVER", "PARTITION", "PLAN", "PRAGMA", "PRECEDING", "PRIMARY", "QUERY", "RAISE", "RANGE", "RECURSIVE",
    "REFERENCES", "REGEXP", "REINDEX", "RELEASE", "RENAME", "REPLACE", "RESTRICT", "RETURNING", "RIGHT", "ROLLBACK",
    "ROW", "ROWS", "SAVEPOINT", "SELECT", "SET", "TABLE", "TEMP", "TEMPORARY", "THEN", "TIES", "TO", "TRANSACTION",
    "TRIGGER", "UNBOUNDED", "UNION", "UNIQUE", "UPDATE", "USING", "VACUUM", "VALUES", "VIEW", "VIRTUAL", "WHEN",
    "WHERE", "WINDOW", "WITH", "WITHOUT"};

bool is_keyword(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    c = g_ascii_toupper(c);
  }
  return std::binary_search(kKeywords.begin(), kKeywords.end(), std::string_view(upper));
}

// `name` as one part of a qualified name: a plain identifier stays as it is.
std::string name_part(std::string_view name) { return DatabaseHelper::format_column_name(name); }

std::string joined(const DatabaseHelper::Names& items, std::string_view separator, bool names) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      text += separator;
    }
    text += names ? name_part(items[i]) : items[i];
  }
  return text;
}

std::string pairs(const DatabaseHelper::Names& names, const DatabaseHelper::Names& values,
                  std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      text += separator;
    }
    text += name_part(names[i]);
    text += '=';
    // A missing value is NULL rather than text running off the array.
    text += i < values.size() ? values[i] : std::string("NULL");
  }
  return text;
}

// "%g" of a float, as printf writes it in the C locale.
std::string float_text(float value) {
  char buffer[G_ASCII_DTOSTR_BUF_SIZE];
  g_ascii_formatd(buffer, sizeof buffer, "%g", static_cast<double>(value));
  return buffer;
}

}  // namespace

std::string SqlCell::literal() const {
  switch (kind) {
    case Kind::Null:
      return "NULL";
    case Kind::Integer:
    case Kind::Real:
    case Kind::Keyword:
      return text;
    case Kind::Blob:
      return "X'" + text + "'";
    case Kind::Text:
      break;
  }
  return DatabaseHelper::quote_text(text);
}

// --- GLib values ---

std::optional<std::string> DatabaseHelper::glib_value_to_text(const GValue* boxed, OptionalText null_value) {
  TOLVANE_RETURN_VAL_IF_FAIL(boxed != nullptr, "boxed != NULL", std::nullopt);
  TOLVANE_RETURN_VAL_IF_FAIL(null_value.has_value(), "null_value != NULL", std::nullopt);
  const std::string none(*null_value);
  const GType type = G_VALUE_TYPE(boxed);
  const std::string_view name = g_type_name(type) != nullptr ? g_type_name(type) : "";
  if (name == "gchararray") {
    if (!G_VALUE_HOLDS_STRING(boxed) || g_value_get_string(boxed) == nullptr) {
      return none;
    }
    return std::string(g_value_get_string(boxed));
  }
  if (name == "gchar") {
    return G_VALUE_HOLDS_CHAR(boxed) ? std::to_string(g_value_get_schar(boxed)) : none;
  }
  if (name == "int16" || name == "gint16" || name == "gint") {
    return G_VALUE_HOLDS_INT(boxed) ? std::to_string(g_value_get_int(boxed)) : none;
  }
  if (name == "glong") {
    return G_VALUE_HOLDS_LONG(boxed) ? std::to_string(g_value_get_long(boxed)) : none;
  }
  if (name == "gint64") {
    return G_VALUE_HOLDS_INT64(boxed) ? std::to_string(static_cast<long long>(g_value_get_int64(boxed))) : none;
  }
  if (name == "guchar") {
    return G_VALUE_HOLDS_UCHAR(boxed) ? std::to_string(g_value_get_uchar(boxed)) : none;
  }
  if (name == "uint16" || name == "guint16" || name == "guint") {
    return G_VALUE_HOLDS_UINT(boxed) ? std::to_string(g_value_get_uint(boxed)) : none;
  }
  if (name == "gulong") {
    return G_VALUE_HOLDS_ULONG(boxed) ? std::to_string(g_value_get_ulong(boxed)) : none;
  }
  if (name == "guint64") {
    return G_VALUE_HOLDS_UINT64(boxed) ? std::to_string(g_value_get_uint64(boxed)) : none;
  }
  if (name == "gfloat" || name == "numeric" || name == "gnumeric") {
    return G_VALUE_HOLDS_FLOAT(boxed) ? float_text(g_value_get_float(boxed)) : none;
  }
  if (name == "gdouble") {
    if (!G_VALUE_HOLDS_DOUBLE(boxed)) {
      return none;
    }
    // The shortest text that reads back to the same double, in the C locale.
    char buffer[G_ASCII_DTOSTR_BUF_SIZE];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, g_value_get_double(boxed));
    return std::string(buffer, error == std::errc() ? end : buffer);
  }
  if (name == "gboolean") {
    return G_VALUE_HOLDS_BOOLEAN(boxed) ? std::string(g_value_get_boolean(boxed) ? "TRUE" : "FALSE") : none;
  }
  if (name == "genum") {
    return G_VALUE_HOLDS_INT(boxed) ? std::to_string(g_value_get_int(boxed)) : none;
  }
  if (name == "GDate") {
    const auto* date = G_VALUE_HOLDS(boxed, G_TYPE_DATE) ? static_cast<const GDate*>(g_value_get_boxed(boxed))
                                                          : nullptr;
    if (date == nullptr || !g_date_valid(date)) {
      return none;
    }
    return std::to_string(g_date_get_year(date)) + "-" + std::to_string(static_cast<int>(g_date_get_month(date))) +
           "-" + std::to_string(g_date_get_day(date));
  }
  if (name == "GDateTime" || name == "GTimestamp") {
    auto* time = G_VALUE_HOLDS(boxed, G_TYPE_DATE_TIME) ? static_cast<GDateTime*>(g_value_get_boxed(boxed))
                                                        : nullptr;
    if (time == nullptr) {
      return none;
    }
    return Core::take_std(g_date_time_format(time, "%Y-%m-%d %H:%M:%S"));
  }
  if (name == "GNull") {
    return none;
  }
  // "GTime" has no GLib type of that name; any such value lands here as well.
  return Core::take_std(g_strdup_value_contents(boxed));
}

Core::GValueHolder DatabaseHelper::string_to_glib_value(GType type, OptionalText text) {
  TOLVANE_RETURN_VAL_IF_FAIL(text.has_value(), "text != NULL", {});
  Core::GValueHolder holder(type);
  GValue* value = holder.get();
  const std::string input(*text);
  const char* c = input.c_str();
  const std::string_view name = g_type_name(type) != nullptr ? g_type_name(type) : "";
  if (name == "gchararray" || name == "genum" || name == "GBlob" || name == "GBinary") {
    if (G_VALUE_HOLDS_STRING(value)) {
      g_value_set_string(value, c);
    }
  } else if (name == "gchar") {
    g_value_set_schar(value, static_cast<gint8>(std::atoi(c)));
  } else if (name == "gint16") {
    g_value_set_int(value, static_cast<std::int16_t>(std::atoi(c)));
  } else if (name == "gint") {
    g_value_set_int(value, std::atoi(c));
  } else if (name == "glong") {
    g_value_set_long(value, static_cast<glong>(g_ascii_strtoll(c, nullptr, 0)));
  } else if (name == "gint64") {
    g_value_set_int64(value, g_ascii_strtoll(c, nullptr, 0));
  } else if (name == "guchar") {
    g_value_set_uchar(value, static_cast<guchar>(g_ascii_strtoull(c, nullptr, 0) & 0xFF));
  } else if (name == "guint16") {
    g_value_set_uint(value, static_cast<guint>(g_ascii_strtoull(c, nullptr, 0) & 0xFFFF));
  } else if (name == "guint") {
    g_value_set_uint(value, static_cast<guint>(g_ascii_strtoull(c, nullptr, 0)));
  } else if (name == "gulong") {
    g_value_set_ulong(value, static_cast<gulong>(g_ascii_strtoull(c, nullptr, 0)));
  } else if (name == "guint64") {
    g_value_set_uint64(value, g_ascii_strtoull(c, nullptr, 0));
  } else if (name == "gfloat") {
    g_value_set_float(value, static_cast<float>(g_ascii_strtod(c, nullptr)));
  } else if (name == "gdouble") {
    g_value_set_double(value, g_ascii_strtod(c, nullptr));
  } else if (name == "gboolean") {
    g_value_set_boolean(value, input == "true");
  } else if (name == "GDateTime") {
    auto utc = Core::GRef<GTimeZone>::adopt(g_time_zone_new_utc());
    auto time = Core::GRef<GDateTime>::adopt(g_date_time_new_from_iso8601(c, utc.get()));
    g_value_set_boxed(value, time.get());
  } else if (name == "GDate") {
    Core::GDatePtr cleared(g_date_new());
    g_value_set_boxed(value, cleared.get());
  }
  return holder;
}

bool DatabaseHelper::glib_value_to_int64(const GValue* boxed, std::int64_t* result) {
  std::int64_t number = 0;
  bool held = true;
  if (boxed != nullptr && G_VALUE_HOLDS_INT64(boxed)) {
    number = g_value_get_int64(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_LONG(boxed)) {
    number = g_value_get_long(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_INT(boxed)) {
    number = g_value_get_int(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_CHAR(boxed)) {
    number = g_value_get_schar(boxed);
  } else {
    held = false;
  }
  if (result != nullptr) {
    *result = number;
  }
  return held;
}

bool DatabaseHelper::glib_value_to_uint64(const GValue* boxed, std::uint64_t* result) {
  std::uint64_t number = 0;
  bool held = true;
  if (boxed != nullptr && G_VALUE_HOLDS_UINT64(boxed)) {
    number = g_value_get_uint64(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_ULONG(boxed)) {
    number = g_value_get_ulong(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_UINT(boxed)) {
    number = g_value_get_uint(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_ENUM(boxed)) {
    number = static_cast<std::uint64_t>(g_value_get_enum(boxed));
  } else if (boxed != nullptr && G_VALUE_HOLDS_UCHAR(boxed)) {
    number = g_value_get_uchar(boxed);
  } else {
    held = false;
  }
  if (result != nullptr) {
    *result = number;
  }
  return held;
}

bool DatabaseHelper::glib_value_to_double(const GValue* boxed, double* result) {
  double number = 0;
  std::int64_t signed_number = 0;
  std::uint64_t unsigned_number = 0;
  bool held = true;
  if (boxed != nullptr && G_VALUE_HOLDS_DOUBLE(boxed)) {
    number = g_value_get_double(boxed);
  } else if (boxed != nullptr && G_VALUE_HOLDS_FLOAT(boxed)) {
    number = g_value_get_float(boxed);
  } else if (glib_value_to_int64(boxed, &signed_number)) {
    number = static_cast<double>(signed_number);
  } else if (glib_value_to_uint64(boxed, &unsigned_number)) {
    number = static_cast<double>(unsigned_number);
  } else {
    held = false;
  }
  if (result != nullptr) {
    *result = number;
  }
  return held;
}

// --- SQL text ---

std::string DatabaseHelper::format_sql_value(DataType kind, const ValueObject* data_value) {
  TOLVANE_RETURN_VAL_IF_FAIL(data_value != nullptr, "data_value != NULL", {});
  if (data_value->get_is_null()) {
    return "NULL";
  }
  // The value's own class decides, not the column's kind: a column's kind is
  // only the class of its first row's cell.
  if (dynamic_cast<const IInteger*>(data_value) != nullptr) {
    return data_value->to_string();
  }
  if (const auto* real = dynamic_cast<const INumeric*>(data_value)) {
    const double number = real->to_double();
    if (std::isnan(number)) {
      return "NULL";  // SQL has no literal for it
    }
    if (std::isinf(number)) {
      return number > 0 ? "9e999" : "-9e999";  // read back as the infinities
    }
    return exact_text(*data_value);
  }
  if (const auto* binary = dynamic_cast<const ValueBinary*>(data_value)) {
    return "X'" + binary->to_hexadecimal() + "'";
  }
  std::string text = data_value->to_string();
  if (is_numeric_kind(kind) && is_sql_number(text)) {
    return text;
  }
  return quote_text(text);
}

std::string DatabaseHelper::format_object_name(OptionalText schema, OptionalText table) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", {});
  TOLVANE_RETURN_VAL_IF_FAIL(table.has_value(), "table != NULL", {});
  if (schema->empty()) {
    // A table alone is always quoted, so "t" keeps its shape.
    return table->empty() ? std::string("\"\"") : Supports::Database::quoted(*table, '"');
  }
  const std::string quoted_table = table->empty() ? std::string("\"\"") : name_part(*table);
  return name_part(*schema) + "." + quoted_table;
}

std::string DatabaseHelper::build_sql_insert(std::string_view schema, std::string_view table, const Names& columns,
                                             const Names& values) {
  return "INSERT INTO " + format_object_name(schema, table) + "(" + joined(columns, ", ", true) + ") VALUES(" +
         joined(values, ", ", false) + ");";
}

std::string DatabaseHelper::build_sql_update(std::string_view schema, std::string_view table, const Names& columns,
                                             const Names& values, const Names& keys, const Names& key_values) {
  std::string text = "UPDATE " + format_object_name(schema, table) + " SET " + pairs(columns, values, ", ");
  if (!keys.empty()) {
    text += " WHERE " + pairs(keys, key_values, " AND ");
  }
  return text + ";";
}

std::string DatabaseHelper::build_sql_delete(std::string_view schema, std::string_view table, const Names& keys,
                                             const Names& key_values) {
  std::string text = "DELETE FROM " + format_object_name(schema, table);
  if (!keys.empty()) {
    text += " WHERE " + pairs(keys, key_values, " AND ");
  }
  return text + ";";
}

bool DatabaseHelper::update_schema_with_model(MetaModel::MetaTable* table,
                                              const Providers::Contracts::TableModel* model) {
  TOLVANE_RETURN_VAL_IF_FAIL(table != nullptr, "table != NULL", false);
  TOLVANE_RETURN_VAL_IF_FAIL(model != nullptr, "model != NULL", false);
  for (const auto& column : model->get_columns()) {
    table->new_column(column->get_name(), column->get_data_type());
  }
  return model->get_columns().size() == table->get_columns().size();
}

std::string DatabaseHelper::format_size(std::uint64_t size) {
  if (size <= 1000) {
    return std::to_string(size) + " Byte";
  }
  const std::string digits = std::to_string(size / 1000);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      grouped += ',';
    }
    grouped += digits[i];
  }
  return grouped + " KB";
}

std::string DatabaseHelper::summary(const ValueBinary* value, OptionalText) {
  TOLVANE_RETURN_VAL_IF_FAIL(value != nullptr, "value != NULL", {});
  const std::size_t size = value->size();
  if (size == 0) {
    return {};
  }
  const auto* bytes = reinterpret_cast<const char*>(value->data());
  const std::string_view text(bytes, strnlen(bytes, size));
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return std::string(text);
  }
  return FileTypeHelper::get_singleton().guess_file_type(value->data(), size) + "(" + format_size(size) + ")";
}

std::string DatabaseHelper::make_fullname_mysql(OptionalText username) {
  TOLVANE_RETURN_VAL_IF_FAIL(username.has_value(), "username != NULL", {});
  const auto part = [](std::string_view text) {
    std::string out = "`";
    for (char c : text) {
      out += c;
      if (c == '`') {
        out += '`';
      }
    }
    return out + "`";
  };
  const std::size_t at = username->find('@');
  if (at == std::string_view::npos) {
    return part(*username);
  }
  std::string_view host = username->substr(at + 1);
  host = host.substr(0, host.find('@'));
  return part(username->substr(0, at)) + "@" + part(host);
}

// --- Shared pieces ---

bool DatabaseHelper::is_sql_number(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  std::size_t digits = 0;
  while (i < text.size() && is_ascii_digit(text[i])) {
    ++i;
    ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && is_ascii_digit(text[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    std::size_t exponent = 0;
    while (i < text.size() && is_ascii_digit(text[i])) {
      ++i;
      ++exponent;
    }
    if (exponent == 0) {
      return false;
    }
  }
  return i == text.size();
}

bool DatabaseHelper::is_hex_text(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) {
    return false;
  }
  for (char c : text) {
    if (!g_ascii_isxdigit(c)) {
      return false;
    }
  }
  return true;
}

std::string DatabaseHelper::format_column_name(std::string_view name) {
  bool plain = !name.empty() && is_ident_start(name.front());
  for (std::size_t i = 1; plain && i < name.size(); ++i) {
    plain = is_ident_start(name[i]) || is_ascii_digit(name[i]);
  }
  return plain && !is_keyword(name) ? std::string(name) : Supports::Database::quoted(name, '"');
}

std::string DatabaseHelper::quote_text(std::string_view text) { return Supports::Database::quoted(text, '\''); }

std::string_view DatabaseHelper::exact_text_view(const ValueObject& value, std::string& scratch) {
  switch (value.get_data_type()) {
    case DataType::String:
    case DataType::WString:
    case DataType::Xml:
    case DataType::Json:
    case DataType::Uuid:
      if (const auto* text = dynamic_cast<const Providers::Contracts::ValueString*>(&value)) {
        return text->get_itsvalue();
      }
      break;
    case DataType::Float:
    case DataType::Double:
    case DataType::Money:
    case DataType::Decimal:
      if (const auto* real = dynamic_cast<const INumeric*>(&value)) {
        // "%f", as the value classes show it, is kept when it reads back to
        // the same number and is not a wall of digits (prices, measures);
        // otherwise the shortest exact form.
        const double number = real->to_double();
        char buffer[64];
        if (std::isfinite(number) && std::fabs(number) < 1e15 && !(number == 0 && std::signbit(number))) {
          const auto printed = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 6);
          double back = 0;
          std::from_chars(buffer, printed.ptr, back);
          if (back == number) {
            scratch.assign(buffer, printed.ptr);
            return scratch;
          }
        }
        scratch.assign(buffer, Core::format_double(number, buffer));
        return scratch;
      }
      break;
    case DataType::Binary:
    case DataType::Blob:
      if (const auto* binary = dynamic_cast<const ValueBinary*>(&value)) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        scratch.resize(binary->size() * 2);
        const std::uint8_t* bytes = binary->data();
        for (std::size_t i = 0; i < binary->size(); ++i) {
          scratch[2 * i] = kDigits[bytes[i] >> 4];
          scratch[2 * i + 1] = kDigits[bytes[i] & 0x0F];
        }
        return scratch;
      }
      break;
    default:
      break;
  }
  scratch = value.to_string();
  return scratch;
}

std::string DatabaseHelper::exact_text(const ValueObject& value) {
  std::string scratch;
  return std::string(exact_text_view(value, scratch));
}

bool DatabaseHelper::is_numeric_kind(DataType kind) {
  switch (kind) {
    case DataType::Boolean:
    case DataType::Int8:
    case DataType::Int16:
    case DataType::Int32:
    case DataType::Int64:
    case DataType::UInt8:
    case DataType::UInt16:
    case DataType::UInt32:
    case DataType::UInt64:
    case DataType::Money:
    case DataType::Float:
    case DataType::Double:
      return true;
    default:
      return false;
  }
}

SqlCell DatabaseHelper::classify_text(DataType kind, std::string_view text) {
  const std::string_view core = trimmed(text);
  if (core.empty()) {
    return {SqlCell::Kind::Null, {}};
  }
  if (is_numeric_kind(kind)) {
    if (is_sql_number(core)) {
      const bool integral = core.find_first_of(".eE") == std::string_view::npos;
      return {integral ? SqlCell::Kind::Integer : SqlCell::Kind::Real, std::string(core)};
    }
    if (kind == DataType::Boolean && (g_ascii_strcasecmp(std::string(core).c_str(), "true") == 0 ||
                                      g_ascii_strcasecmp(std::string(core).c_str(), "false") == 0)) {
      return {SqlCell::Kind::Keyword, std::string(core)};
    }
  } else if ((kind == DataType::Blob || kind == DataType::Binary) && is_hex_text(core)) {
    std::string digits(core);
    for (char& c : digits) {
      c = g_ascii_toupper(c);
    }
    return {SqlCell::Kind::Blob, std::move(digits)};
  }
  return {SqlCell::Kind::Text, std::string(text)};
}

}  // namespace Tolvane::Orvel::Helpers
