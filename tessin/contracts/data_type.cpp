#include "tessin/contracts/data_type.hpp"

#include <cstring>

#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Providers::Contracts {

std::string to_string(DataType type) { return Core::nick_of(type); }

GType value_null_glib_type() {
  static const GType type = g_type_register_static_simple(G_TYPE_OBJECT, "TolvaneProvidersContractsValueNull",
                                                          sizeof(GObjectClass), nullptr, sizeof(GObject), nullptr,
                                                          static_cast<GTypeFlags>(0));
  return type;
}

GType get_glib_type(DataType type) {
  switch (type) {
    case DataType::DbNull:
      return value_null_glib_type();
    case DataType::Boolean:
      return G_TYPE_BOOLEAN;
    case DataType::Int8:
      return G_TYPE_CHAR;
    case DataType::Int16:
    case DataType::Int32:
    case DataType::UInt32:
      return G_TYPE_INT;
    case DataType::Int64:
    case DataType::UInt64:
    case DataType::TimeSpan:
      return G_TYPE_INT64;
    case DataType::UInt8:
      return G_TYPE_UCHAR;
    case DataType::UInt16:
      return G_TYPE_UINT;
    case DataType::Enum:
    case DataType::Set:
      return G_TYPE_ENUM;
    case DataType::Flags:
      return G_TYPE_FLAGS;
    case DataType::Money:
    case DataType::Decimal:
    case DataType::Double:
      return G_TYPE_DOUBLE;
    case DataType::Float:
      return G_TYPE_FLOAT;
    case DataType::Date:
      return G_TYPE_DATE;
    case DataType::Time:
      return G_TYPE_POINTER;
    case DataType::DateTime:
      return G_TYPE_DATE_TIME;
    case DataType::Binary:
    case DataType::Blob:
      return G_TYPE_BYTES;
    case DataType::Object:
      return G_TYPE_OBJECT;
    case DataType::Variant:
      return G_TYPE_VARIANT;
    case DataType::Array:
      return G_TYPE_ARRAY;
    default:
      return G_TYPE_STRING;
  }
}

DataType get_data_type(GType type) {
  if (type == G_TYPE_CHAR) {
    return DataType::Int8;
  }
  if (type == G_TYPE_UCHAR) {
    return DataType::UInt8;
  }
  if (type == G_TYPE_BOOLEAN) {
    return DataType::Boolean;
  }
  if (type == G_TYPE_INT || type == G_TYPE_LONG) {
    return DataType::Int32;
  }
  if (type == G_TYPE_UINT || type == G_TYPE_ULONG) {
    return DataType::UInt32;
  }
  if (type == G_TYPE_INT64) {
    return DataType::Int64;
  }
  if (type == G_TYPE_UINT64) {
    return DataType::UInt64;
  }
  if (type == G_TYPE_ENUM) {
    return DataType::Enum;
  }
  if (type == G_TYPE_FLAGS) {
    return DataType::Flags;
  }
  if (type == G_TYPE_FLOAT) {
    return DataType::Float;
  }
  if (type == G_TYPE_DOUBLE) {
    return DataType::Double;
  }
  if (type == G_TYPE_STRING) {
    return DataType::String;
  }
  const char* name = g_type_name(type);
  if (name == nullptr) {
    return DataType::Unknown;
  }
  Core::GCharPtr lower(g_ascii_strdown(name, -1));
  static constexpr struct {
    const char* name;
    DataType type;
  } kByName[] = {
      {"gint16", DataType::Int16},       {"guint16", DataType::UInt16},   {"gdate", DataType::Date},
      {"gtime", DataType::Time},         {"gdatetime", DataType::DateTime}, {"gtimespan", DataType::TimeSpan},
      {"gtimestamp", DataType::DateTime}, {"gnumeric", DataType::Decimal}, {"guid", DataType::Uuid},
      {"uuid", DataType::Uuid},          {"xml", DataType::Xml},          {"json", DataType::Json},
      {"gobject", DataType::Object},     {"gbinary", DataType::Binary},   {"gblob", DataType::Blob},
      {"gnull", DataType::DbNull},
  };
  for (const auto& entry : kByName) {
    if (std::strcmp(lower.get(), entry.name) == 0) {
      return entry.type;
    }
  }
  return DataType::Unknown;
}

}  // namespace Tolvane::Providers::Contracts

using Tolvane::Providers::Contracts::DataType;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<DataType>::info() {
  static const EnumInfo info(
      "TolvaneProvidersContractsDataType", "TOLVANE_PROVIDERS_CONTRACTS_DATA_TYPE_", false,
      {{0, "unknown"},   {1, "dbnull"},    {2, "boolean"},   {3, "int8"},      {4, "int16"},     {5, "int32"},
       {6, "int64"},     {7, "uint8"},     {8, "uint16"},    {9, "uint32"},    {10, "uint64"},   {11, "enum"},
       {12, "flags"},    {13, "set"},      {14, "money"},    {15, "decimal"},  {16, "float"},    {17, "double"},
       {18, "date"},     {19, "time"},     {20, "datetime"}, {21, "timespan"}, {22, "timestamp"}, {23, "string"},
       {24, "wstring"},  {25, "xml"},      {26, "uuid"},     {27, "json"},     {28, "geometry"}, {29, "geography"},
       {30, "binary"},   {31, "blob"},     {32, "object"},   {33, "pointer"},  {34, "variant"},  {35, "array"},
       {36, "error"}});
  return info;
}
