#pragma once

#include <string>

#include <glib-object.h>

#include "tessin/core/enum_info.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

// The kind of a value or a column.
enum class DataType : int {
  Unknown = 0,
  DbNull = 1,
  Boolean = 2,
  Int8 = 3,
  Int16 = 4,
  Int32 = 5,
  Int64 = 6,
  UInt8 = 7,
  UInt16 = 8,
  UInt32 = 9,
  UInt64 = 10,
  Enum = 11,
  Flags = 12,
  Set = 13,
  Money = 14,
  Decimal = 15,
  Float = 16,
  Double = 17,
  Date = 18,
  Time = 19,
  DateTime = 20,
  TimeSpan = 21,
  TimeStamp = 22,
  String = 23,
  WString = 24,
  Xml = 25,
  Uuid = 26,
  Json = 27,
  Geometry = 28,
  Geography = 29,
  Binary = 30,
  Blob = 31,
  Object = 32,
  Pointer = 33,
  Variant = 34,
  Array = 35,
  Error = 36,
};

// The nick ("int64").
TESSIN_API std::string to_string(DataType type);
// The GLib type that carries values of `type`.
TESSIN_API GType get_glib_type(DataType type);
// The data type for a GLib type.
TESSIN_API DataType get_data_type(GType type);

// The GLib type registered as "TolvaneProvidersContractsValueNull", the carrier of dbnull.
TESSIN_API GType value_null_glib_type();

}  // namespace Tolvane::Providers::Contracts

template <>
struct TESSIN_API Tolvane::Core::EnumTraits<Tolvane::Providers::Contracts::DataType> {
  static const EnumInfo& info();
};
