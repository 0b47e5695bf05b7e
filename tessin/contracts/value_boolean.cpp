#include "tessin/contracts/value_boolean.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueBoolean::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsValueBoolean", &ValueObject::static_type(),
      {&IInteger::static_type(), &IUnsigned::static_type()}, Core::factory_of<ValueBoolean>(),
      {Core::property("itsvalue", &ValueBoolean::get_itsvalue, &ValueBoolean::set_itsvalue)});
  return info;
}

void ValueBoolean::set_itsvalue(bool value) {
  m_itsvalue = value;
  notify("itsvalue");
}

Core::GValueHolder ValueBoolean::to_value() const {
  Core::GValueHolder value(G_TYPE_BOOLEAN);
  g_value_set_boolean(value.get(), m_itsvalue ? TRUE : FALSE);
  return value;
}

std::string ValueBoolean::to_string() const { return m_itsvalue ? "true" : "false"; }
ValueObjectPtr ValueBoolean::clone() const { return create(m_itsvalue); }
std::string ValueBoolean::get_name() const { return "bool"; }
DataType ValueBoolean::get_data_type() const { return DataType::Boolean; }

}  // namespace Tolvane::Providers::Contracts
