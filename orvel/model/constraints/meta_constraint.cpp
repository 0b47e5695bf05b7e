#include "orvel/model/constraints/meta_constraint.hpp"

#include "orvel/model/constraints/meta_check.hpp"
#include "orvel/model/constraints/meta_exclude.hpp"
#include "orvel/model/constraints/meta_foreign_key.hpp"
#include "orvel/model/constraints/meta_unique.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaConstraint::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelMetaModelMetaConstraint", &MetaObject::static_type(), {},
                                   Core::factory_of<MetaConstraint>(), {});
  return info;
}

MetaConstraintPtr MetaConstraint::with_names(OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  auto constraint = create();
  constraint->set_name(std::string(*name));
  return constraint;
}

Core::Json::ObjectRef MetaConstraint::to_classed_json_object() const {
  Core::Json::ObjectRef json = to_json_object();
  json_object_set_string_member(json.get(), "class", type().name().c_str());
  return json;
}

MetaConstraintPtr MetaConstraint::from_classed_json_object(JsonObject* json) {
  // Types are found by name only once their descriptions exist.
  static const Core::TypeInfo* const known[] = {&MetaConstraint::static_type(), &MetaCheck::static_type(),
                                                &MetaUnique::static_type(), &MetaForeignKey::static_type(),
                                                &MetaExclude::static_type()};
  (void)known;
  if (json == nullptr) {
    return nullptr;
  }
  JsonNode* member = json_object_get_member(json, "class");
  if (member == nullptr || !JSON_NODE_HOLDS_VALUE(member) || json_node_get_value_type(member) != G_TYPE_STRING) {
    return nullptr;
  }
  // Only a constraint class may be named: anything else would put a foreign node
  // into the list.
  const Core::TypeInfo* type = Core::TypeInfo::find(json_node_get_string(member));
  if (type == nullptr || !type->is_a(MetaConstraint::static_type())) {
    return nullptr;
  }
  auto constraint = std::dynamic_pointer_cast<MetaConstraint>(type->create());
  if (constraint) {
    constraint->load_json_object(json);
  }
  return constraint;
}

}  // namespace Tolvane::Orvel::MetaModel
