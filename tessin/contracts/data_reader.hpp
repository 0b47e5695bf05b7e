#pragma once

#include <cstdint>
#include <vector>

#include "tessin/contracts/value_object.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {

// A forward-only reader positioned on the rows of one statement. Column indexes
// are 16-bit. Every data operation can fail; a reader overrides what it supports
// and inherits the defaults below for the rest. `get_value` picks the value class
// by the column's data type and is what every reader uses to make cells.
class TESSIN_API IDataReader {
  TOLVANE_INTERFACE(IDataReader)

  using Column = std::uint16_t;

  virtual ~IDataReader();

  // Rows fetched in bulk; 0 without bulk fetching.
  virtual Core::Result<int> bulk();
  // Advances to the next row; true when there is one.
  virtual Core::Result<bool> read();
  virtual Core::Status close();
  virtual Core::Result<std::string> get_name(Column col);
  virtual Core::Result<std::string> get_dbms_type(Column col);
  virtual Core::Result<DataType> get_data_type(Column col);
  virtual Core::Result<std::int64_t> get_size(Column col);
  virtual Core::Result<bool> is_null(Column col);
  virtual Core::Result<bool> get_boolean(Column col);
  virtual Core::Result<std::int8_t> get_int8(Column col);
  virtual Core::Result<std::uint8_t> get_uint8(Column col);
  virtual Core::Result<std::int16_t> get_int16(Column col);
  virtual Core::Result<std::uint16_t> get_uint16(Column col);
  virtual Core::Result<std::int32_t> get_int32(Column col);
  virtual Core::Result<std::uint32_t> get_uint32(Column col);
  virtual Core::Result<std::int64_t> get_int64(Column col);
  virtual Core::Result<std::uint64_t> get_uint64(Column col);
  virtual Core::Result<double> get_decimal(Column col);
  virtual Core::Result<double> get_money(Column col);
  virtual Core::Result<float> get_float(Column col);
  virtual Core::Result<double> get_double(Column col);
  // An invalid (cleared) date when there is none.
  virtual Core::Result<GDate> get_date(Column col);
  virtual Core::Result<Core::DateTime> get_time(Column col);
  virtual Core::Result<Core::DateTime> get_datetime(Column col);
  virtual Core::Result<std::int64_t> get_timespan(Column col);
  virtual Core::Result<std::string> get_string(Column col);
  virtual Core::Result<std::string> get_string16(Column col);
  virtual Core::Result<std::string> get_guid(Column col);
  virtual Core::Result<Core::Bytes> get_binary(Column col);
  // Now, in the local zone, unless the reader knows better.
  virtual Core::Result<Core::DateTime> get_timestamp(Column col);
  virtual Core::Result<std::string> get_enum(Column col);
  virtual Core::Result<std::string> get_flag(Column col);
  virtual Core::Result<std::string> get_set(Column col);
  virtual Core::Result<std::string> get_xml(Column col);
  virtual Core::Result<std::string> get_json(Column col);
  virtual Core::Result<std::string> get_geometry(Column col);
  virtual Core::Result<std::string> get_geography(Column col);
  virtual Core::Result<ValueObjectPtr> get_variant(Column col);
  virtual Core::Result<Core::Bytes> get_object(Column col);
  // The matching value object: ValueNull for a null cell, otherwise by data type.
  virtual Core::Result<ValueObjectPtr> get_value(Column col);
  // Every value of the current row.
  virtual Core::Result<std::vector<ValueObjectPtr>> get_values();
  virtual int get_field_count() const;
  virtual bool get_is_closed() const;
};

}  // namespace Tolvane::Providers::Contracts
