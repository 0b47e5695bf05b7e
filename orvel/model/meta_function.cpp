#include "orvel/model/meta_function.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaFunction::static_type() {
  using C = MetaFunction;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaFunction", &MetaObject::static_type(), {}, Core::factory_of<MetaFunction>(),
      {Core::property("is-function", &C::get_is_function, &C::set_is_function),
       Core::property("return-type", &C::get_return_type, &C::set_return_type),
       Core::property("body", &C::get_body, &C::set_body),
       Core::property("parameters", &C::get_parameters, &C::set_parameters)});
  return info;
}

MetaFunctionPtr MetaFunction::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<MetaFunction>(database, schema, name);
}

MetaObjectPtr MetaFunction::clone() const {
  auto copy = std::static_pointer_cast<MetaFunction>(MetaObject::clone());
  copy->m_parameters = m_parameters;
  return copy;
}

Core::Json::NodeRef MetaFunction::serialize_property(std::string_view property_name,
                                                     const Core::PropertySpec& spec) const {
  if (property_name == "parameters") {
    return Core::Json::string_array(m_parameters);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaFunction::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                        JsonNode* node) {
  if (property_name == "parameters") {
    set_parameters(Core::Json::read_string_array(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
