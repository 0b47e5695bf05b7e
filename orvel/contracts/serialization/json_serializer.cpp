#include "orvel/contracts/serialization/json_serializer.hpp"

#include <cxxabi.h>

#include <cstdlib>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"
#include "tessin/core/source_log.hpp"

namespace Tolvane::Orvel::Contracts::Serialization {

namespace {

using Core::PropertyKind;
using Core::PropertySpec;
using Core::PropertyValue;

std::string demangled(const std::type_info& type) {
  int status = 0;
  char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string result = status == 0 && name != nullptr ? name : type.name();
  std::free(name);
  return result;
}

// The name of what a property of an unmapped kind holds, for messages.
std::string type_name_of(const PropertySpec& spec, const PropertyValue& value) {
  if (spec.value_type != nullptr) {
    return spec.value_type->name();
  }
  if (const auto* any = std::get_if<std::any>(&value); any != nullptr && any->has_value()) {
    return demangled(any->type());
  }
  return "unknown";
}

// What GLib's diagnostic text of a value would say: "((Type*) 0x...)", "NULL".
std::string diagnostic_text(const PropertySpec& spec, const PropertyValue& value) {
  if (const auto* object = std::get_if<Core::ObjectPtr>(&value)) {
    if (!*object) {
      return "NULL";
    }
    Core::GCharPtr text(g_strdup_printf("((%s*) %p)", (*object)->type().name().c_str(),
                                        static_cast<const void*>(object->get())));
    return text.get();
  }
  if (const auto* any = std::get_if<std::any>(&value); any != nullptr && any->has_value()) {
    return "((" + type_name_of(spec, value) + ") " + spec.name + ")";
  }
  return "NULL";
}

// What a property of each kind becomes in JSON.
enum class Shape : std::uint8_t { Boolean, Integer, Real, Text, DateTime, TextList, Unmapped };

Shape shape_of(PropertyKind kind) {
  static_assert(PropertyKind::Int8 < PropertyKind::UInt64 && PropertyKind::UInt64 < PropertyKind::Float,
                "the whole-number kinds run from Int8 to UInt64");
  if (kind == PropertyKind::Boolean) {
    return Shape::Boolean;
  }
  if ((kind >= PropertyKind::Int8 && kind <= PropertyKind::UInt64) || kind == PropertyKind::Enum ||
      kind == PropertyKind::Flags) {
    return Shape::Integer;
  }
  if (kind == PropertyKind::Float || kind == PropertyKind::Double) {
    return Shape::Real;
  }
  if (kind == PropertyKind::String) {
    return Shape::Text;
  }
  if (kind == PropertyKind::DateTime) {
    return Shape::DateTime;
  }
  return kind == PropertyKind::StringList ? Shape::TextList : Shape::Unmapped;
}

void add_value(JsonBuilder& builder, const PropertySpec& spec, const PropertyValue& value) {
  switch (shape_of(spec.kind)) {
    case Shape::Boolean:
      json_builder_add_boolean_value(&builder, Core::from_property_value<bool>(value));
      return;
    case Shape::Integer:
      // Unsigned 64-bit numbers above the signed range come out negative; read
      // back into the same property they keep their bits.
      json_builder_add_int_value(&builder, Core::from_property_value<std::int64_t>(value));
      return;
    case Shape::Real:
      json_builder_add_double_value(&builder, Core::from_property_value<double>(value));
      return;
    case Shape::Text: {
      const auto* text = std::get_if<std::string>(&value);
      json_builder_add_string_value(&builder, text != nullptr ? text->c_str() : "");
      return;
    }
    case Shape::DateTime: {
      const auto* when = std::get_if<Core::DateTime>(&value);
      json_builder_add_string_value(&builder, date_time_to_iso8601(when != nullptr ? *when : Core::DateTime()).c_str());
      return;
    }
    case Shape::TextList:
      json_builder_begin_array(&builder);
      for (const std::string& item : Core::from_property_value<std::vector<std::string>>(value)) {
        json_builder_add_string_value(&builder, item.c_str());
      }
      json_builder_end_array(&builder);
      return;
    case Shape::Unmapped:
      json_builder_add_string_value(&builder, diagnostic_text(spec, value).c_str());
      return;
  }
}

// json-glib's getters answer a member of another JSON type with the kind's
// empty value; they must not be handed arrays or objects, which they would
// read as values.
JsonNode* value_node(JsonNode* node) { return JSON_NODE_HOLDS_VALUE(node) ? node : nullptr; }

// The value a member gives a property; nothing when the property keeps its own.
std::optional<PropertyValue> read_value(const Core::Object& object, const PropertySpec& spec, JsonNode* node) {
  JsonNode* value = value_node(node);
  switch (shape_of(spec.kind)) {
    case Shape::Boolean:
      return PropertyValue(value != nullptr && json_node_get_boolean(value) != FALSE);
    case Shape::Integer:
      // The setter cuts the number to the property's width.
      return PropertyValue(static_cast<std::int64_t>(value != nullptr ? json_node_get_int(value) : 0));
    case Shape::Real:
      return PropertyValue(value != nullptr ? json_node_get_double(value) : 0.0);
    case Shape::Text: {
      const char* text = value != nullptr ? json_node_get_string(value) : nullptr;
      return text != nullptr ? PropertyValue(std::string(text)) : PropertyValue();
    }
    case Shape::DateTime: {
      const char* text = value != nullptr ? json_node_get_string(value) : nullptr;
      Core::DateTime when = text != nullptr ? date_time_from_iso8601(text) : Core::DateTime();
      return when ? PropertyValue(std::move(when)) : PropertyValue();
    }
    case Shape::TextList:
      if (!JSON_NODE_HOLDS_ARRAY(node)) {
        return std::nullopt;
      }
      return PropertyValue(Core::Json::read_string_array(node));
    case Shape::Unmapped: {
      const PropertyValue current = spec.getter ? spec.getter(object) : PropertyValue();
      TOLVANE_WARNING("Type: %s -> %s", spec.name.c_str(), type_name_of(spec, current).c_str());
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

const Core::TypeInfo& IJsonSerializer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsSerializationIJsonSerializer", {});
  return info;
}

IJsonSerializer::~IJsonSerializer() = default;

void IJsonSerializer::serialize(JsonBuilder* builder, const Core::Object* object) {
  TOLVANE_RETURN_IF_FAIL(builder != nullptr, "builder != NULL");
  TOLVANE_RETURN_IF_FAIL(object != nullptr, "object != NULL");
  serialize_properties(*builder, *object);
}

void IJsonSerializer::deserialize(JsonObject* json_object, Core::Object* object) {
  TOLVANE_RETURN_IF_FAIL(json_object != nullptr, "json_object != NULL");
  TOLVANE_RETURN_IF_FAIL(object != nullptr, "object != NULL");
  deserialize_properties(*json_object, *object);
}

void serialize_properties(JsonBuilder& builder, const Core::Object& object) {
  for (const PropertySpec* spec : object.type().properties()) {
    if (!spec->writable() || !spec->readable() || !spec->getter) {
      continue;
    }
    json_builder_set_member_name(&builder, spec->name.c_str());
    add_value(builder, *spec, spec->getter(object));
  }
}

void deserialize_properties(JsonObject& json_object, Core::Object& object) {
  GList* members = json_object_get_members(&json_object);
  for (GList* item = members; item != nullptr; item = item->next) {
    const std::string_view name = static_cast<const char*>(item->data);
    // The property registry takes '-' and '_' as the same character.
    const PropertySpec* spec = object.type().find_property(name);
    if (spec == nullptr || name == "class" || !spec->writable() || spec->is_construct_only() || !spec->setter) {
      continue;
    }
    JsonNode* node = json_object_get_member(&json_object, static_cast<const char*>(item->data));
    if (std::optional<PropertyValue> value = read_value(object, *spec, node)) {
      spec->setter(object, *value);
    }
  }
  g_list_free(members);
}

std::string date_time_to_iso8601(const Core::DateTime& value) {
  return value ? Core::take_std(g_date_time_format_iso8601(value.get())) : std::string();
}

Core::DateTime date_time_from_iso8601(std::string_view text) {
  const std::string owned(text);
  auto utc = Core::GRef<GTimeZone>::adopt(g_time_zone_new_utc());
  return Core::DateTime::adopt(g_date_time_new_from_iso8601(owned.c_str(), utc.get()));
}

}  // namespace Tolvane::Orvel::Contracts::Serialization
