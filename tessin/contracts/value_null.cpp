#include "tessin/contracts/value_null.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueNull::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueNull", &ValueObject::static_type(), {},
                                   Core::factory_of<ValueNull>(),
                                   {Core::property("itsvalue", &ValueNull::get_itsvalue)});
  return info;
}

Core::GValueHolder ValueNull::to_value() const { return Core::GValueHolder::of_string("NULL"); }
std::string ValueNull::to_string() const { return {}; }
ValueObjectPtr ValueNull::clone() const { return create(); }
std::string ValueNull::get_name() const { return "NULL"; }
DataType ValueNull::get_data_type() const { return DataType::DbNull; }
bool ValueNull::get_is_null() const { return true; }

}  // namespace Tolvane::Providers::Contracts
