#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <glib-object.h>

#include "orvel/contracts/database/db_meta_type.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_type.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Dialect questions a connection answers: the admissible values of a kind of
// setting, and how a declared column type maps to value kinds, GLib types, SQL
// type names and default literals. Declared types are matched after upper-casing
// and without a length ("VARCHAR(32)" is unknown; callers strip the length).
// A missing `native_type` is a programming error.
class ORVEL_API IInspectable {
  TOLVANE_INTERFACE(IInspectable)

  virtual ~IInspectable();

  // The values in their fixed order; empty for a kind the dialect has no list for.
  virtual std::vector<std::string> support(DbMetaType type) const = 0;
  // The literal a new column of the type starts with; none without a type.
  virtual std::optional<std::string> get_type_default(std::optional<std::string_view> native_type) const = 0;
  virtual Providers::Contracts::DataType get_data_type(std::optional<std::string_view> native_type) const = 0;
  virtual std::string get_sql_type(Providers::Contracts::DataType type) const = 0;
  // G_TYPE_NONE for a type the dialect does not know; G_TYPE_INVALID (0) without a type.
  virtual GType get_glib_type(std::optional<std::string_view> native_type) const = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Database
