#include "tessin/contracts/value_error.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueError::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsValueError", &ValueObject::static_type(), {}, nullptr,
                                   {Core::property("itsvalue", &ValueError::get_itsvalue)});
  return info;
}

std::string ValueError::get_itsvalue() const { return std::to_string(m_code) + ":" + m_message; }

Core::GValueHolder ValueError::to_value() const {
  Core::GValueHolder value(G_TYPE_ERROR);
  g_value_take_boxed(value.get(), g_error_new_literal(g_quark_from_static_string("SQL"), m_code, m_message.c_str()));
  return value;
}

std::string ValueError::to_string() const { return get_itsvalue(); }
ValueObjectPtr ValueError::clone() const { return create(m_code, m_message); }
std::string ValueError::get_name() const { return "error"; }
DataType ValueError::get_data_type() const { return DataType::Error; }

}  // namespace Tolvane::Providers::Contracts
