#include "tessin/contracts/data_reader.hpp"

#include "tessin/contracts/values.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& IDataReader::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIDataReader", {});
  return info;
}

IDataReader::~IDataReader() = default;

// What a reader returns from a slot it does not implement.
Core::Result<int> IDataReader::bulk() { return 0; }
Core::Result<bool> IDataReader::read() { return false; }
Core::Status IDataReader::close() { return {}; }
Core::Result<std::string> IDataReader::get_name(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_dbms_type(Column) { return std::string(); }
Core::Result<DataType> IDataReader::get_data_type(Column) { return DataType::Unknown; }
Core::Result<std::int64_t> IDataReader::get_size(Column) { return 0; }
Core::Result<bool> IDataReader::is_null(Column) { return false; }
Core::Result<bool> IDataReader::get_boolean(Column) { return false; }
Core::Result<std::int8_t> IDataReader::get_int8(Column) { return -1; }
Core::Result<std::uint8_t> IDataReader::get_uint8(Column) { return 0; }
Core::Result<std::int16_t> IDataReader::get_int16(Column) { return -1; }
Core::Result<std::uint16_t> IDataReader::get_uint16(Column) { return 0; }
Core::Result<std::int32_t> IDataReader::get_int32(Column) { return -1; }
Core::Result<std::uint32_t> IDataReader::get_uint32(Column) { return 0; }
Core::Result<std::int64_t> IDataReader::get_int64(Column) { return -1; }
Core::Result<std::uint64_t> IDataReader::get_uint64(Column) { return 0; }
Core::Result<double> IDataReader::get_decimal(Column) { return -1.0; }
Core::Result<double> IDataReader::get_money(Column) { return -1.0; }
Core::Result<float> IDataReader::get_float(Column) { return -1.0F; }
Core::Result<double> IDataReader::get_double(Column) { return -1.0; }
Core::Result<GDate> IDataReader::get_date(Column) {
  GDate date;
  g_date_clear(&date, 1);
  return date;
}
Core::Result<Core::DateTime> IDataReader::get_time(Column) { return Core::DateTime(); }
Core::Result<Core::DateTime> IDataReader::get_datetime(Column) { return Core::DateTime(); }
Core::Result<std::int64_t> IDataReader::get_timespan(Column) { return 0; }
Core::Result<std::string> IDataReader::get_string(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_string16(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_guid(Column) { return std::string(); }
Core::Result<Core::Bytes> IDataReader::get_binary(Column) { return Core::Bytes(); }
int IDataReader::get_field_count() const { return 0; }
bool IDataReader::get_is_closed() const { return false; }

// The interface's own defaults.
Core::Result<Core::DateTime> IDataReader::get_timestamp(Column) {
  return Core::DateTime::adopt(g_date_time_new_now_local());
}
Core::Result<std::string> IDataReader::get_enum(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_flag(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_set(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_xml(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_json(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_geometry(Column) { return std::string(); }
Core::Result<std::string> IDataReader::get_geography(Column) { return std::string(); }
Core::Result<ValueObjectPtr> IDataReader::get_variant(Column) { return ValueObjectPtr(ValueNull::create()); }
Core::Result<Core::Bytes> IDataReader::get_object(Column) { return Core::Bytes::adopt(g_bytes_new(nullptr, 0)); }

namespace {

// Makes a value from a reader call's result, passing its error on.
template <class T, class Make>
Core::Result<ValueObjectPtr> make(Core::Result<T>&& read, Make&& make_value) {
  if (!read) {
    return Core::fail(std::move(read.error()));
  }
  return ValueObjectPtr(make_value(std::move(*read)));
}

}  // namespace

Core::Result<ValueObjectPtr> IDataReader::get_value(Column col) {
  auto null = is_null(col);
  if (!null) {
    return Core::fail(std::move(null.error()));
  }
  if (*null) {
    return ValueObjectPtr(ValueNull::create());
  }
  auto type = get_data_type(col);
  if (!type) {
    return Core::fail(std::move(type.error()));
  }
  switch (*type) {
    case DataType::Boolean:
      return make(get_boolean(col), [](bool v) { return ValueBoolean::create(v); });
    case DataType::Int8:
      return make(get_int8(col), [](std::int8_t v) { return ValueInt8::create(v); });
    case DataType::Int16:
      return make(get_int16(col), [](std::int16_t v) { return ValueInt16::create(v); });
    case DataType::Int32:
      return make(get_int32(col), [](std::int32_t v) { return ValueInt32::create(v); });
    case DataType::Int64:
      return make(get_int64(col), [](std::int64_t v) { return ValueInt64::create(v); });
    case DataType::UInt8:
      return make(get_uint8(col), [](std::uint8_t v) { return ValueUInt8::create(v); });
    case DataType::UInt16:
      return make(get_uint16(col), [](std::uint16_t v) { return ValueUInt16::create(v); });
    case DataType::UInt32:
      return make(get_uint32(col), [](std::uint32_t v) { return ValueUInt32::create(v); });
    case DataType::UInt64:
      return make(get_uint64(col), [](std::uint64_t v) { return ValueUInt64::create(v); });
    case DataType::Enum:
      return make(get_enum(col), [](std::string v) { return ValueEnum::create(std::move(v)); });
    case DataType::Flags:
      return make(get_flag(col), [](std::string v) { return ValueFlags::create(std::move(v)); });
    case DataType::Set:
      return make(get_set(col), [](std::string v) { return ValueSet::create(std::move(v)); });
    case DataType::Money:
      return make(get_money(col), [](double v) { return ValueMoney::create(v); });
    case DataType::Decimal:
      return make(get_decimal(col), [](double v) { return ValueDecimal::create(v); });
    case DataType::Float:
      return make(get_float(col), [](float v) { return ValueFloat::create(v); });
    case DataType::Double:
      return make(get_double(col), [](double v) { return ValueDouble::create(v); });
    case DataType::Date:
      return make(get_date(col), [](GDate v) { return ValueDate::date(v); });
    // A date-time the reader could not produce is kept as an absent one, so the
    // row still holds a value for the column.
    case DataType::Time:
      return make(get_time(col), [](Core::DateTime v) {
        return v ? ValueTime::time(v) : std::make_shared<ValueTime>(Core::DateTime());
      });
    case DataType::DateTime:
      return make(get_datetime(col), [](Core::DateTime v) {
        return v ? ValueDateTime::datetime(v) : std::make_shared<ValueDateTime>(Core::DateTime());
      });
    case DataType::TimeStamp:
      return make(get_timestamp(col), [](Core::DateTime v) {
        return v ? ValueDateTime::datetime(v) : std::make_shared<ValueDateTime>(Core::DateTime());
      });
    case DataType::TimeSpan:
      return make(get_timespan(col), [](std::int64_t v) { return ValueTimeSpan::create(v); });
    case DataType::WString:
      return make(get_string16(col), [](std::string v) {
        auto value = ValueUtf16::string(v);
        return value ? value : ValueUtf16::create(std::u16string());
      });
    case DataType::Xml:
      return make(get_xml(col), [](std::string v) { return ValueXml::create(std::move(v)); });
    case DataType::Uuid:
      return make(get_guid(col), [](std::string v) { return ValueUuid::uuid(std::move(v)); });
    case DataType::Json:
      return make(get_json(col), [](std::string v) { return ValueJson::create(std::move(v)); });
    case DataType::Geometry:
      return make(get_geometry(col), [](std::string v) { return ValueGeometry::create(std::move(v)); });
    case DataType::Geography:
      return make(get_geography(col), [](std::string v) { return ValueGeography::create(std::move(v)); });
    case DataType::Binary:
    case DataType::Object:
      return make(get_binary(col), [](Core::Bytes v) { return std::make_shared<ValueBinary>(std::move(v)); });
    case DataType::Blob:
      return make(get_binary(col), [](Core::Bytes v) { return std::make_shared<ValueBlob>(std::move(v)); });
    case DataType::Variant:
      return get_variant(col);
    default:
      return make(get_string(col), [](std::string v) { return ValueString::create(std::move(v)); });
  }
}

Core::Result<std::vector<ValueObjectPtr>> IDataReader::get_values() {
  const int count = get_field_count();
  std::vector<ValueObjectPtr> values;
  values.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int index = 0; index < count; ++index) {
    auto value = get_value(static_cast<Column>(index));
    if (!value) {
      return Core::fail(std::move(value.error()));
    }
    values.push_back(std::move(*value));
  }
  return values;
}

}  // namespace Tolvane::Providers::Contracts
