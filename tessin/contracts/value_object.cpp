#include "tessin/contracts/value_object.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& IValue::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIValue", {});
  return info;
}
IValue::~IValue() = default;

const Core::TypeInfo& IInteger::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIInteger", {});
  return info;
}
IInteger::~IInteger() = default;

const Core::TypeInfo& IUnsigned::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIUnsigned", {});
  return info;
}
IUnsigned::~IUnsigned() = default;

const Core::TypeInfo& INumeric::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsINumeric", {});
  return info;
}
INumeric::~INumeric() = default;

std::int64_t to_integer(const ValueObject& value) {
  const auto* integer = dynamic_cast<const IInteger*>(&value);
  return integer != nullptr ? integer->to_integer() : -1;
}

std::uint64_t to_unsigned(const ValueObject& value) {
  const auto* number = dynamic_cast<const IUnsigned*>(&value);
  return number != nullptr ? number->to_unsigned() : 0;
}

double to_double(const ValueObject& value) {
  const auto* number = dynamic_cast<const INumeric*>(&value);
  return number != nullptr ? number->to_double() : 0.0;
}

const Core::TypeInfo& ValueObject::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueObject", &Core::Object::static_type(),
                                   {&IValue::static_type()}, Core::factory_of<ValueObject>(),
                                   {Core::property("name", &ValueObject::get_name),
                                    Core::property("data-type", &ValueObject::get_data_type),
                                    Core::property("is-null", &ValueObject::get_is_null)});
  return info;
}

Core::GValueHolder ValueObject::to_value() const { return Core::GValueHolder::of_string(""); }

std::string ValueObject::to_string() const { return {}; }

ValueObjectPtr ValueObject::clone() const { return create(); }

std::string ValueObject::dump() const {
  std::string text = type().name();
  text += " => ";
  text += to_string();
  return text;
}

std::string ValueObject::get_name() const { return "UNKNOWN"; }

DataType ValueObject::get_data_type() const { return DataType::Unknown; }

bool ValueObject::get_is_null() const { return false; }

}  // namespace Tolvane::Providers::Contracts
