#include "orvel/transform/data_json.hpp"

#include "tessin/contracts/value_binary.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using Providers::Contracts::ValueObject;

Core::Json::NodeRef value_node(const ValueObject& value) {
  auto hook = [](const Core::Object& object, const Core::PropertySpec& spec, Core::Json::NodeRef& node) {
    if (spec.kind != Core::PropertyKind::Other) {
      return false;
    }
    if (const auto* binary = dynamic_cast<const Providers::Contracts::ValueBinary*>(&object)) {
      JsonNode* text = json_node_new(JSON_NODE_VALUE);
      json_node_set_string(text, binary->to_hexadecimal().c_str());
      node = Core::Json::NodeRef::adopt(text);
      return true;
    }
    return false;
  };
  Core::Json::ObjectRef members = Core::Json::serialize_object(value, hook);
  // "class" first, then the properties in class order.
  JsonObject* object = json_object_new();
  json_object_set_string_member(object, "class", value.type().name().c_str());
  GList* names = json_object_get_members(members.get());
  for (GList* name = names; name != nullptr; name = name->next) {
    const char* member = static_cast<const char*>(name->data);
    json_object_set_member(object, member, json_object_dup_member(members.get(), member));
  }
  g_list_free(names);
  Core::Json::NodeRef node = Core::Json::node_of(object);
  json_object_unref(object);
  return node;
}

Core::Json::NodeRef row_node(const Providers::Contracts::RowModel& row) {
  JsonArray* array = json_array_sized_new(static_cast<guint>(row.get_values().size()));
  for (const auto& value : row.get_values()) {
    if (value) {
      json_array_add_element(array, value_node(*value).release());
    } else {
      json_array_add_null_element(array);
    }
  }
  Core::Json::NodeRef node = Core::Json::node_of(array);
  json_array_unref(array);
  return node;
}

Core::Json::NodeRef table_node(const Providers::Contracts::TableModel& table) {
  JsonObject* object = json_object_new();
  JsonArray* columns = json_array_sized_new(static_cast<guint>(table.get_columns().size()));
  for (const auto& column : table.get_columns()) {
    json_array_add_string_element(columns, column ? column->get_name().c_str() : "");
  }
  json_object_set_array_member(object, "columns", columns);
  JsonArray* rows = json_array_sized_new(static_cast<guint>(table.get_rows().size()));
  for (const auto& row : table.get_rows()) {
    if (row) {
      json_array_add_element(rows, row_node(*row).release());
    } else {
      json_array_add_null_element(rows);
    }
  }
  json_object_set_array_member(object, "rows", rows);
  Core::Json::NodeRef node = Core::Json::node_of(object);
  json_object_unref(object);
  return node;
}

}  // namespace

std::string value_json(const ValueObject& value) { return Core::Json::to_text(value_node(value).get()); }

std::string row_json(const Providers::Contracts::RowModel& row) { return Core::Json::to_text(row_node(row).get()); }

std::string table_json(const Providers::Contracts::TableModel& table) {
  return Core::Json::to_text(table_node(table).get());
}

std::string data_set_json(const Providers::Contracts::DataSetModel& data_set) {
  JsonArray* tables = json_array_sized_new(static_cast<guint>(data_set.get_tables().size()));
  for (const auto& table : data_set.get_tables()) {
    if (table) {
      json_array_add_element(tables, table_node(*table).release());
    } else {
      json_array_add_null_element(tables);
    }
  }
  Core::Json::NodeRef node = Core::Json::node_of(tables);
  json_array_unref(tables);
  return Core::Json::to_text(node.get());
}

}  // namespace Tolvane::Orvel::Transform
