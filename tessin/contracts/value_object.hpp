#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tessin/contracts/data_type.hpp"
#include "tessin/core/glib_value.hpp"
#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

class ValueObject;
using ValueObjectPtr = std::shared_ptr<ValueObject>;

// What every value offers: its GLib form, its text form, a copy, a debug text,
// its short name, its data type and whether it is the null value.
//
// Unlike the other interfaces, IValue is an Object itself, so that a value
// (the cell of a result grid, of which there are millions) carries one vtable
// pointer for both instead of two.
class TESSIN_API IValue : public Core::Object {
  TOLVANE_INTERFACE(IValue)

  ~IValue() override;

  virtual Core::GValueHolder to_value() const = 0;
  virtual std::string to_string() const = 0;
  virtual ValueObjectPtr clone() const = 0;
  virtual std::string dump() const = 0;
  virtual std::string get_name() const = 0;
  virtual DataType get_data_type() const = 0;
  virtual bool get_is_null() const = 0;

  // A value of `type` made from `text` (null text allowed); see the factory rules
  // at the definition.
  static ValueObjectPtr factory(DataType type, std::optional<std::string_view> text);
};

// Numeric access, for the classes that have a number.
class TESSIN_API IInteger {
  TOLVANE_INTERFACE(IInteger)
  virtual ~IInteger();
  virtual std::int64_t to_integer() const = 0;
};

class TESSIN_API IUnsigned {
  TOLVANE_INTERFACE(IUnsigned)
  virtual ~IUnsigned();
  virtual std::uint64_t to_unsigned() const = 0;
};

class TESSIN_API INumeric {
  TOLVANE_INTERFACE(INumeric)
  virtual ~INumeric();
  virtual double to_double() const = 0;
};

// The results the numeric interfaces give for a value that lacks them.
TESSIN_API std::int64_t to_integer(const ValueObject& value);
TESSIN_API std::uint64_t to_unsigned(const ValueObject& value);
TESSIN_API double to_double(const ValueObject& value);

// The base of every value class; on its own it is the empty value ("").
class TESSIN_API ValueObject : public IValue {
  TOLVANE_OBJECT(ValueObject)

  ValueObject() = default;
  static ValueObjectPtr create() { return std::make_shared<ValueObject>(); }

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  // "<registered type name> => <text form>".
  std::string dump() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;
  bool get_is_null() const override;
};

}  // namespace Tolvane::Providers::Contracts
