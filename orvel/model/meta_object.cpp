#include "orvel/model/meta_object.hpp"

#include "tessin/core/i18n.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& IMetaData::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelMetaModelIMetaData", {});
  return info;
}

IMetaData::~IMetaData() = default;

const Core::TypeInfo& MetaObject::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaObject", &Core::Object::static_type(), {&IMetaData::static_type()},
      Core::factory_of<MetaObject>(),
      {Core::property("database", &MetaObject::get_database, &MetaObject::set_database),
       Core::property("schema", &MetaObject::get_schema, &MetaObject::set_schema),
       Core::property("name", &MetaObject::get_name, &MetaObject::set_name),
       Core::property("comment", &MetaObject::get_comment, &MetaObject::set_comment),
       Core::property("attributes", &MetaObject::get_attributes, &MetaObject::set_attributes),
       Core::property("original", &MetaObject::get_original, &MetaObject::set_original),
       Core::property("version", &MetaObject::get_version, &MetaObject::set_version)});
  return info;
}

namespace {

// The kinds the base clone copies value by value; collections are each class's
// own business.
bool is_scalar(Core::PropertyKind kind) {
  switch (kind) {
    case Core::PropertyKind::StringList:
    case Core::PropertyKind::Object:
    case Core::PropertyKind::Other:
      return false;
    default:
      return true;
  }
}

// Every member goes through the class's own hook, which falls back to the
// default rules, as json-glib does for a serializable class.
const Core::Json::SerializeHook& serialize_hook() {
  static const Core::Json::SerializeHook hook = [](const Core::Object& object, const Core::PropertySpec& spec,
                                                   Core::Json::NodeRef& node) {
    node = static_cast<const MetaObject&>(object).serialize_property(spec.name, spec);
    return true;
  };
  return hook;
}

const Core::Json::DeserializeHook& deserialize_hook() {
  static const Core::Json::DeserializeHook hook = [](Core::Object& object, const Core::PropertySpec& spec,
                                                     JsonNode* node) {
    static_cast<MetaObject&>(object).deserialize_property(spec.name, spec, node);
    return true;
  };
  return hook;
}

}  // namespace

MetaObjectPtr MetaObject::clone() const {
  const Core::TypeInfo& info = type();
  std::vector<Core::ConstructArg> arguments;
  for (const Core::PropertySpec* spec : info.properties()) {
    if (spec->is_construct() && spec->readable() && spec->getter) {
      arguments.push_back({spec->name, spec->getter(*this)});
    }
  }
  auto copy = std::static_pointer_cast<MetaObject>(info.create(arguments));
  for (const Core::PropertySpec* spec : info.properties()) {
    if (spec->writable() && !spec->is_construct_only() && spec->readable() && is_scalar(spec->kind)) {
      spec->setter(*copy, spec->getter(*this));
    }
  }
  copy->m_attributes = m_attributes;
  return copy;
}

void MetaObject::reset() {
  set_comment("");
  set_original("");
  m_attributes.clear();
  set_version(DataVersion::Initial);
  remove_data("FILLED");
}

DBObject MetaObject::character() const { return DBObject::Unknown; }

Core::Json::NodeRef MetaObject::serialize_property(std::string_view property_name,
                                                   const Core::PropertySpec& spec) const {
  if (property_name == "attributes") {
    return map_node(m_attributes);
  }
  return Core::Json::serialize_property(*this, spec);
}

bool MetaObject::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                      JsonNode* node) {
  if (property_name == "attributes") {
    set_attributes(read_map(node));
    return true;
  }
  return Core::Json::deserialize_property(*this, spec, node);
}

Core::Json::ObjectRef MetaObject::to_json_object() const { return Core::Json::serialize_object(*this, serialize_hook()); }

void MetaObject::load_json_object(JsonObject* json) { Core::Json::deserialize_object(*this, json, deserialize_hook()); }

std::string MetaObject::to_json() const {
  Core::Json::ObjectRef members = to_json_object();
  return Core::Json::to_text(Core::Json::node_of(members.get()).get());
}

Core::Status MetaObject::load_json(std::string_view text) {
  Core::Result<Core::Json::NodeRef> parsed = Core::Json::parse(text);
  if (!parsed) {
    return Core::fail(parsed.error());
  }
  JsonNode* root = parsed->get();
  if (!JSON_NODE_HOLDS_OBJECT(root)) {
    std::string message = type().name();
    message += ": ";
    message += Core::_("the JSON text does not hold an object but");
    message += ' ';
    message += json_node_type_name(root);
    return Core::fail("JSON", -1, std::move(message));
  }
  load_json_object(json_node_get_object(root));
  return {};
}

Core::Json::NodeRef MetaObject::map_node(const TextMap& map) {
  JsonObject* object = json_object_new();
  for (const auto& [key, value] : map) {
    json_object_set_string_member(object, key.c_str(), value.c_str());
  }
  Core::Json::NodeRef node = Core::Json::node_of(object);
  json_object_unref(object);
  return node;
}

TextMap MetaObject::read_map(JsonNode* node) {
  TextMap map;
  if (node == nullptr || !JSON_NODE_HOLDS_OBJECT(node)) {
    return map;
  }
  JsonObject* object = json_node_get_object(node);
  GList* members = json_object_get_members(object);
  for (GList* item = members; item != nullptr; item = item->next) {
    const auto* key = static_cast<const char*>(item->data);
    JsonNode* member = json_object_get_member(object, key);
    const char* value = nullptr;
    if (JSON_NODE_HOLDS_VALUE(member) && json_node_get_value_type(member) == G_TYPE_STRING) {
      value = json_node_get_string(member);
    }
    map.insert_or_assign(key, value != nullptr ? value : "");
  }
  g_list_free(members);
  return map;
}

void MetaObject::for_each_object(JsonNode* node, const std::function<void(JsonObject*)>& visit) {
  if (node == nullptr || !JSON_NODE_HOLDS_ARRAY(node)) {
    return;
  }
  JsonArray* array = json_node_get_array(node);
  const guint length = json_array_get_length(array);
  for (guint i = 0; i < length; ++i) {
    JsonNode* element = json_array_get_element(array, i);
    if (JSON_NODE_HOLDS_OBJECT(element)) {
      visit(json_node_get_object(element));
    }
  }
}

}  // namespace Tolvane::Orvel::MetaModel
