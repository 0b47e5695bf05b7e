#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <glib-object.h>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_type.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/core/glib_value.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Providers::Contracts {
class TableModel;
class ValueBinary;
}  // namespace Tolvane::Providers::Contracts

namespace Tolvane::Orvel::MetaModel {
class MetaTable;
}

namespace Tolvane::Orvel::Helpers {

// One cell as SQL sees it once its text has been judged against the kind of its
// column: what the statement builders write as a literal and what a prepared
// statement binds. `text` is the number as written (Integer, Real, Keyword),
// the text itself (Text) or the upper-case hexadecimal digits (Blob).
struct ORVEL_API SqlCell {
  enum class Kind { Null, Integer, Real, Keyword, Text, Blob };
  Kind kind = Kind::Null;
  std::string text;

  // The SQL literal: NULL, the number or keyword unquoted, 'text' with every
  // quote doubled, X'hex'.
  std::string literal() const;
};

// Values to text and back, SQL literals and object names, single-row
// statements, and display texts of binary cells. Stateless; every operation is
// static and may run on any thread.
//
// Texts that become SQL are always literals that cannot leave their quotes: a
// quote inside a quoted literal is doubled, a text is written unquoted only
// when it is a complete decimal number, and bytes are written as X'..' hex
// literals. Names that are not plain identifiers are quoted the same way.
class ORVEL_API DatabaseHelper : public Core::Object {
  TOLVANE_OBJECT(DatabaseHelper)

  using DataType = Providers::Contracts::DataType;
  using ValueObject = Providers::Contracts::ValueObject;
  using Names = std::vector<std::string>;
  using OptionalText = std::optional<std::string_view>;

  // Text of a GLib value by its type name (null, or a value of the wrong
  // fundamental, gives `null_value`). Doubles use the shortest text that reads
  // back to the same number.
  static std::optional<std::string> glib_value_to_text(const GValue* boxed, OptionalText null_value);
  // A GLib value of `type` read from `text`; a type it has no rule for stays at
  // its default.
  static Core::GValueHolder string_to_glib_value(GType type, OptionalText text);
  static bool glib_value_to_int64(const GValue* boxed, std::int64_t* result);
  static bool glib_value_to_uint64(const GValue* boxed, std::uint64_t* result);
  static bool glib_value_to_double(const GValue* boxed, double* result);

  // The literal of a value: NULL for a null value whatever the kind; numbers
  // of the integer and floating-point classes unquoted (doubles at full
  // precision); bytes as X'..'; any other value as quoted text, unless `kind`
  // is numeric and the text is a complete number.
  static std::string format_sql_value(DataType kind, const ValueObject* data_value);
  // "main.t" and "\"t\"" for plain names; a name that is not a plain
  // identifier is quoted with its double quotes doubled.
  static std::string format_object_name(OptionalText schema, OptionalText table);

  // Single-row statements. Values are inserted as given (they must be literals
  // already); names go through `format_column_name`.
  static std::string build_sql_insert(std::string_view schema, std::string_view table, const Names& columns,
                                      const Names& values);
  static std::string build_sql_update(std::string_view schema, std::string_view table, const Names& columns,
                                      const Names& values, const Names& keys, const Names& key_values);
  // Without keys this deletes every row of the table: callers that act on one
  // record must refuse a record without key first.
  static std::string build_sql_delete(std::string_view schema, std::string_view table, const Names& keys,
                                      const Names& key_values);

  // Appends one column per model column (name and kind); true when the table
  // then has as many columns as the model.
  static bool update_schema_with_model(MetaModel::MetaTable* table, const Providers::Contracts::TableModel* model);
  // "1000 Byte", "1 KB", "999,999 KB" (decimal kilobytes, grouped by three).
  static std::string format_size(std::uint64_t size);
  // The display text of a binary cell: "" when empty, the text when the bytes
  // (up to a first zero byte) are UTF-8, else "<file type>(<size>)".
  static std::string summary(const Providers::Contracts::ValueBinary* value, OptionalText null_value);
  // "`user`" or "`user`@`host`", back-quotes inside the parts doubled.
  static std::string make_fullname_mysql(OptionalText username);

  // --- Pieces the data-interchange code shares ---

  // Whether `text` is a whole decimal number: [+-] digits [. digits] [e[+-]digits]
  // (a leading or trailing '.' allowed when there are digits); no blanks.
  static bool is_sql_number(std::string_view text);
  // Whether `text` is a non-empty run of hexadecimal digit pairs.
  static bool is_hex_text(std::string_view text);
  // `name` as SQL sees it: unchanged when it is a plain identifier
  // ([A-Za-z_][A-Za-z0-9_]*) that is not an SQL keyword, otherwise in double
  // quotes with inner ones doubled.
  static std::string format_column_name(std::string_view name);
  // 'text' with every quote doubled.
  static std::string quote_text(std::string_view text);
  // The text of a value that reads back to the same value: texts and integers
  // as shown, doubles as shown when that reads back to the same number and in
  // their shortest exact form otherwise, bytes as upper-case hexadecimal.
  static std::string exact_text(const ValueObject& value);
  // The same without allocating per cell: a view of the value's own text, or
  // of `scratch`, which it fills (valid until the next call or change).
  static std::string_view exact_text_view(const ValueObject& value, std::string& scratch);
  // A text from a file judged against the kind of its column: blank → NULL;
  // numeric kinds take a complete number unquoted (else the text, quoted);
  // boolean kinds also take true/false; byte kinds take hexadecimal digits as
  // bytes; everything else is text.
  static SqlCell classify_text(DataType kind, std::string_view text);
  static bool is_numeric_kind(DataType kind);
};

}  // namespace Tolvane::Orvel::Helpers
