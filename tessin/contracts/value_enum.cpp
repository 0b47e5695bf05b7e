#include "tessin/contracts/value_enum.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

#define TOLVANE_ENUM_TYPE(Class, parent)                                                                    \
  const Core::TypeInfo& Class::static_type() {                                                           \
    static const Core::TypeInfo info("TolvaneProvidersContracts" #Class, &parent::static_type(), {}, nullptr, \
                                     {Core::property("itsvalue", &Class::get_itsvalue, &Class::set_itsvalue)}); \
    return info;                                                                                         \
  }

TOLVANE_ENUM_TYPE(ValueEnum, ValueObject)
TOLVANE_ENUM_TYPE(ValueSet, ValueEnum)
TOLVANE_ENUM_TYPE(ValueFlags, ValueEnum)

#undef TOLVANE_ENUM_TYPE

void ValueEnum::set_itsvalue(std::string member) {
  m_itsvalue = std::move(member);
  notify("itsvalue");
}

void ValueEnum::initialize(const std::vector<std::string>& members) {
  m_members.insert(m_members.end(), members.begin(), members.end());
}

Core::GValueHolder ValueEnum::to_value() const { return Core::GValueHolder::of_string(m_itsvalue.c_str()); }

std::string ValueEnum::get_name() const { return "enum"; }
DataType ValueEnum::get_data_type() const { return DataType::Enum; }
std::string ValueSet::get_name() const { return "set"; }
DataType ValueSet::get_data_type() const { return DataType::Set; }
std::string ValueFlags::get_name() const { return "flags"; }
DataType ValueFlags::get_data_type() const { return DataType::Flags; }

}  // namespace Tolvane::Providers::Contracts
