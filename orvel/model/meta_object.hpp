#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <json-glib/json-glib.h>

#include "orvel/model/meta_data.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_version.hpp"
#include "tessin/contracts/db_object.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/json_properties.hpp"

// Inside a node class: the getter and the notifying setter of a property kept
// in `m_<name>`, for texts and for plain values.
#define TOLVANE_META_TEXT(name, property)                              \
  const std::string& get_##name() const noexcept { return m_##name; } \
  void set_##name(std::string value) { assign(m_##name, std::move(value), property); }
#define TOLVANE_META_VALUE(Type, name, property)         \
  Type get_##name() const noexcept { return m_##name; } \
  void set_##name(Type value) { assign(m_##name, value, property); }

namespace Tolvane::Orvel::MetaModel {

using Providers::Contracts::DataVersion;
using Providers::Contracts::DBObject;

// Maps of text are sorted, so their JSON form does not depend on insertion order.
using TextMap = std::map<std::string, std::string>;

// A text argument that may be absent. An absent one is a programming error: the
// operation logs the argument's check and has no effect.
using OptionalText = std::optional<std::string_view>;

// The base of every node of the metadata tree: names, comment, vendor
// attributes, the former name and the change mark a comparison writes.
//
// The JSON text of a node (`to_json`) is what comparisons of trees look at:
// members follow the class's property order, maps are sorted, and the same tree
// always gives the same text.
class ORVEL_API MetaObject : public Core::Object, public IMetaData {
  TOLVANE_OBJECT(MetaObject)

  MetaObject() = default;
  static MetaObjectPtr create() { return std::make_shared<MetaObject>(); }

  const std::string& get_database() const noexcept { return m_database; }
  void set_database(std::string database) { assign(m_database, std::move(database), "database"); }
  const std::string& get_schema() const noexcept { return m_schema; }
  void set_schema(std::string schema) { assign(m_schema, std::move(schema), "schema"); }
  const std::string& get_name() const noexcept { return m_name; }
  void set_name(std::string name) { assign(m_name, std::move(name), "name"); }
  const std::string& get_comment() const noexcept { return m_comment; }
  void set_comment(std::string comment) { assign(m_comment, std::move(comment), "comment"); }
  // Live: callers may add and remove entries.
  const TextMap& get_attributes() const noexcept { return m_attributes; }
  TextMap& get_attributes() noexcept { return m_attributes; }
  void set_attributes(TextMap attributes) { assign(m_attributes, std::move(attributes), "attributes"); }
  const std::string& get_original() const noexcept { return m_original; }
  void set_original(std::string original) { assign(m_original, std::move(original), "original"); }
  DataVersion get_version() const noexcept { return m_version; }
  void set_version(DataVersion version) { assign(m_version, version, "version"); }

  // A copy of the node of the same class with its own attributes; subclasses
  // add their children.
  MetaObjectPtr clone() const override;
  // Back to the named but unfilled state: comment, original, attributes,
  // version and the "FILLED" mark go; database, schema and name stay.
  void reset() override;

  // The JSON member for one property; null leaves it out. The default follows
  // json-glib's default property serialization.
  virtual Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const;
  // Takes one member; true when handled.
  virtual bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node);
  virtual DBObject character() const;

  template <class T>
  std::shared_ptr<T> clone_as() const {
    return std::static_pointer_cast<T>(clone());
  }

  // The node as a JSON object, and filling the node from one.
  Core::Json::ObjectRef to_json_object() const;
  void load_json_object(JsonObject* json);

  // The node's compact JSON text: the text comparisons of trees look at.
  std::string to_json() const;
  // Fills the node from JSON text; collections named in the text are replaced.
  Core::Status load_json(std::string_view text);

 protected:
  // Building blocks of the members that classes write themselves.
  static Core::Json::NodeRef map_node(const TextMap& map);
  // A member that is not an object gives an empty map, a value that is not a
  // string an empty text.
  static TextMap read_map(JsonNode* node);

  template <class T>
  static Core::Json::NodeRef array_node(const std::vector<std::shared_ptr<T>>& items);
  // Each object element read as a new T; a member that is not an array gives an
  // empty list, elements that are not objects are skipped.
  template <class T>
  static std::vector<std::shared_ptr<T>> read_array(JsonNode* node);
  // Appends a clone of each element of `from` to `to`.
  template <class T>
  static void clone_into(const std::vector<std::shared_ptr<T>>& from, std::vector<std::shared_ptr<T>>& to);

  // A new T with `database`, `schema` and `name` set; null, after the check of
  // the missing argument is logged, when one is absent.
  template <class T>
  static std::shared_ptr<T> make_named(OptionalText database, OptionalText schema, OptionalText name);

  // Visits each element of a JSON array that is an object; a member that is not
  // an array visits nothing.
  static void for_each_object(JsonNode* node, const std::function<void(JsonObject*)>& visit);

 private:
  std::string m_database;
  std::string m_schema;
  std::string m_name;
  std::string m_comment;
  TextMap m_attributes;
  std::string m_original;
  DataVersion m_version = DataVersion::Initial;
};

template <class T>
Core::Json::NodeRef MetaObject::array_node(const std::vector<std::shared_ptr<T>>& items) {
  JsonArray* array = json_array_sized_new(static_cast<guint>(items.size()));
  for (const std::shared_ptr<T>& item : items) {
    if (item) {
      json_array_add_object_element(array, item->to_json_object().release());
    }
  }
  Core::Json::NodeRef node = Core::Json::node_of(array);
  json_array_unref(array);
  return node;
}

template <class T>
std::shared_ptr<T> MetaObject::make_named(OptionalText database, OptionalText schema, OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  std::shared_ptr<T> node = T::create();
  node->set_database(std::string(*database));
  node->set_schema(std::string(*schema));
  node->set_name(std::string(*name));
  return node;
}

template <class T>
std::vector<std::shared_ptr<T>> MetaObject::read_array(JsonNode* node) {
  std::vector<std::shared_ptr<T>> items;
  for_each_object(node, [&items](JsonObject* element) {
    auto item = T::create();
    item->load_json_object(element);
    items.push_back(std::move(item));
  });
  return items;
}

template <class T>
void MetaObject::clone_into(const std::vector<std::shared_ptr<T>>& from, std::vector<std::shared_ptr<T>>& to) {
  to.reserve(to.size() + from.size());
  for (const std::shared_ptr<T>& item : from) {
    if (item) {
      to.push_back(item->template clone_as<T>());
    }
  }
}

// A new node of class T read from JSON text.
template <class T>
Core::Result<std::shared_ptr<T>> from_json(std::string_view text) {
  std::shared_ptr<T> node = T::create();
  Core::Status loaded = node->load_json(text);
  if (!loaded) {
    return std::unexpected(loaded.error());
  }
  return node;
}

}  // namespace Tolvane::Orvel::MetaModel
