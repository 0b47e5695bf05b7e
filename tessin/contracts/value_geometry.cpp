#include "tessin/contracts/value_geometry.hpp"

#include "tessin/core/property.hpp"
#include "tessin/core/regex.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ValueGeometry::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsValueGeometry", &ValueObject::static_type(), {}, nullptr,
      {Core::property("itsvalue", &ValueGeometry::get_itsvalue, &ValueGeometry::set_itsvalue)});
  return info;
}

const Core::TypeInfo& ValueGeography::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsValueGeography", &ValueGeometry::static_type(), {}, nullptr,
      {Core::property("itsvalue", &ValueGeography::get_itsvalue, &ValueGeography::set_itsvalue)});
  return info;
}

void ValueGeometry::set_itsvalue(std::string value) {
  m_itsvalue = std::move(value);
  notify("itsvalue");
}

Core::GValueHolder ValueGeometry::to_value() const { return Core::GValueHolder::of_string(m_itsvalue.c_str()); }
std::string ValueGeometry::get_name() const { return "geometry"; }
DataType ValueGeometry::get_data_type() const { return DataType::Geometry; }

double ValueGeography::coordinate(const char* group) const {
  if (m_itsvalue.empty()) {
    return 0;
  }
  static const Core::Regex kPoint("(?<left>[\\d\\.]+),\\s*(?<right>[\\d\\.]+)", G_REGEX_MULTILINE);
  Core::GMatchInfoPtr match = kPoint.match(m_itsvalue);
  auto text = Core::Regex::named_group(match.get(), group);
  return text ? g_ascii_strtod(text->c_str(), nullptr) : 0;
}

double ValueGeography::latitude() const { return coordinate("left"); }
double ValueGeography::longitude() const { return coordinate("right"); }
std::string ValueGeography::get_name() const { return "geography"; }
DataType ValueGeography::get_data_type() const { return DataType::Geography; }

}  // namespace Tolvane::Providers::Contracts
