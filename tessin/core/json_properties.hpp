#pragma once

// JSON form of objects by their properties, with json-glib's default rules:
// one member per readable property, in class order, named by the hyphenated
// property name; a property whose value equals its declared default is left out,
// except texts, which are written unless null; booleans as JSON booleans,
// integers, enumerations and flags as JSON integers, floats as JSON doubles,
// string lists as arrays of strings, referenced objects as nested objects.
// Other kinds (lists, maps, buffers) are written only by a class's hook.
//
// Reading is the mirror: a member sets the property of its name when the JSON
// type fits the property's kind; members that match no property, or whose type
// does not fit, are ignored.

#include <functional>
#include <string>
#include <string_view>

#include <json-glib/json-glib.h>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

template <>
struct GRefTraits<JsonNode> {
  static JsonNode* ref(JsonNode* p) { return json_node_ref(p); }
  static void unref(JsonNode* p) { json_node_unref(p); }
};
template <>
struct GRefTraits<JsonObject> {
  static JsonObject* ref(JsonObject* p) { return json_object_ref(p); }
  static void unref(JsonObject* p) { json_object_unref(p); }
};
template <>
struct GRefTraits<JsonArray> {
  static JsonArray* ref(JsonArray* p) { return json_array_ref(p); }
  static void unref(JsonArray* p) { json_array_unref(p); }
};

}  // namespace Tolvane::Core

namespace Tolvane::Core::Json {

using NodeRef = GRef<JsonNode>;
using ObjectRef = GRef<JsonObject>;

// A class's own handling of one property. Return true when handled; `node` is
// the member to write (null leaves the member out).
using SerializeHook = std::function<bool(const Object& object, const PropertySpec& spec, NodeRef& node)>;
// Return true when the class has taken the member.
using DeserializeHook = std::function<bool(Object& object, const PropertySpec& spec, JsonNode* node)>;

// The object's members under the default rules, with `hook` consulted first.
TESSIN_API ObjectRef serialize_object(const Object& object, const SerializeHook& hook = {});
// The default member for one property; null when it is left out.
TESSIN_API NodeRef serialize_property(const Object& object, const PropertySpec& spec);

// Fills `object` from the members of `json`, with `hook` consulted first.
TESSIN_API void deserialize_object(Object& object, JsonObject* json, const DeserializeHook& hook = {});
// Sets one property from a member by the default rules; false when the JSON type
// does not fit (the property keeps its value).
TESSIN_API bool deserialize_property(Object& object, const PropertySpec& spec, JsonNode* node);

// Builders for the members classes write themselves.
TESSIN_API NodeRef node_of(JsonObject* object);
TESSIN_API NodeRef node_of(JsonArray* array);
TESSIN_API NodeRef string_array(const std::vector<std::string>& items);
TESSIN_API std::vector<std::string> read_string_array(JsonNode* node);

// JSON text of a node; `pretty` with `indent` spaces.
TESSIN_API std::string to_text(JsonNode* root, bool pretty = false, unsigned indent = 2);

// The deepest nesting of arrays and objects `parse` accepts: far above any
// real file, far below what overflows the stack of json-glib's recursive
// parser.
inline constexpr std::size_t kMaxDepth = 512;
// Fails ("JSON", -1) when `text` nests arrays and objects deeper than
// `kMaxDepth`; brackets inside strings do not count. One pass over the text.
TESSIN_API Status check_depth(std::string_view text);

// Parses text or a file; errors come as json-glib (or GIO) reports them. Text
// nested deeper than `kMaxDepth`, or holding half a surrogate pair ("\ud800"
// or "\udc00" alone) or a "\u" without four hexadecimal digits, which
// json-glib would read as bytes that are not UTF-8, is refused ("JSON", -1)
// before json-glib sees it.
TESSIN_API Result<NodeRef> parse(std::string_view text);
TESSIN_API Result<NodeRef> parse_file(const std::string& filename);

}  // namespace Tolvane::Core::Json
