#include "orvel/model/meta_synonym.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaSynonym::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaSynonym", &MetaObject::static_type(), {}, Core::factory_of<MetaSynonym>(),
      {Core::property("target", &MetaSynonym::get_target, &MetaSynonym::set_target)});
  return info;
}

MetaSynonymPtr MetaSynonym::with_names(OptionalText schema, OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "_schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "_name != NULL", nullptr);
  auto synonym = create();
  synonym->set_schema(std::string(*schema));
  synonym->set_name(std::string(*name));
  return synonym;
}

}  // namespace Tolvane::Orvel::MetaModel
