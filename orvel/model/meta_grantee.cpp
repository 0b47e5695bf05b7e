#include "orvel/model/meta_grantee.hpp"

namespace Tolvane::Orvel::MetaModel {

Core::Json::NodeRef MetaGrantee::serialize_property(std::string_view property_name,
                                                    const Core::PropertySpec& spec) const {
  if (property_name == "relations") {
    return map_node(m_relations);
  }
  if (property_name == "privileges") {
    return map_node(m_privileges);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaGrantee::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                       JsonNode* node) {
  if (property_name == "relations") {
    set_relations(read_map(node));
    return true;
  }
  if (property_name == "privileges") {
    set_privileges(read_map(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
