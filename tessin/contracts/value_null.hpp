#pragma once

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// The database NULL: shows as "" and converts to the GLib string "NULL".
class TESSIN_API ValueNull final : public ValueObject {
  TOLVANE_OBJECT(ValueNull)

  ValueNull() = default;
  static std::shared_ptr<ValueNull> create() { return std::make_shared<ValueNull>(); }

  std::string get_itsvalue() const { return "NULL"; }

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;
  bool get_is_null() const override;
};

}  // namespace Tolvane::Providers::Contracts
