#include "orvel/model/meta_classify.hpp"

#include "tessin/core/property.hpp"

template class Tolvane::Core::ListStore<Tolvane::Orvel::MetaModel::MetaObject>;

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaClassify::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaClassify", &MetaObject::static_type(), {}, Core::factory_of<MetaClassify>(),
      {Core::property("children", &MetaClassify::get_children, &MetaClassify::set_children)});
  return info;
}

MetaClassifyPtr MetaClassify::create(DBObject character, OptionalText database, OptionalText schema,
                                     OptionalText label) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(label.has_value(), "label != NULL", nullptr);
  auto node = std::make_shared<MetaClassify>(character);
  node->set_database(std::string(*database));
  node->set_schema(std::string(*schema));
  node->set_name(std::string(*label));
  return node;
}

MetaClassifyPtr MetaClassify::with_model(DBObject character, OptionalText database, OptionalText schema,
                                         OptionalText label, std::shared_ptr<Core::IListModel> list_model) {
  MetaClassifyPtr node = create(character, database, schema, label);
  if (node) {
    node->m_children = std::move(list_model);
  }
  return node;
}

MetaClassifyPtr MetaClassify::with_array(DBObject character, OptionalText database, OptionalText schema,
                                         OptionalText label, std::vector<MetaObjectPtr> items) {
  MetaClassifyPtr node = create(character, database, schema, label);
  if (node) {
    node->m_children = MetaObjectStore::with_items(std::move(items));
  }
  return node;
}

MetaObjectPtr MetaClassify::clone() const {
  auto copy = std::static_pointer_cast<MetaClassify>(MetaObject::clone());
  copy->m_character = m_character;
  return copy;
}

// The grouped nodes are a front end's view onto nodes that belong elsewhere in
// the tree, so they have no JSON form here.
Core::Json::NodeRef MetaClassify::serialize_property(std::string_view property_name,
                                                     const Core::PropertySpec& spec) const {
  if (property_name == "children") {
    return {};
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaClassify::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                        JsonNode* node) {
  if (property_name == "children") {
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
