#include "tessin/core/json_properties.hpp"

#include "tessin/core/i18n.hpp"

namespace Tolvane::Core::Json {

namespace {

bool is_default(const PropertySpec& spec, const PropertyValue& value) {
  // Texts are written unless null; string lists are never null.
  if (spec.kind == PropertyKind::String) {
    return std::holds_alternative<std::monostate>(value);
  }
  if (spec.kind == PropertyKind::StringList) {
    return false;
  }
  return equal_values(value, spec.default_value);
}

// A member name or nick; for flags also several joined by '|'.
std::optional<std::int64_t> enum_from_text(const EnumInfo& info, std::string_view text) {
  std::int64_t result = 0;
  while (true) {
    std::size_t bar = info.is_flags() ? text.find('|') : std::string_view::npos;
    std::string_view piece = text.substr(0, bar);
    while (!piece.empty() && piece.front() == ' ') {
      piece.remove_prefix(1);
    }
    while (!piece.empty() && piece.back() == ' ') {
      piece.remove_suffix(1);
    }
    const EnumValue* found = info.by_nick(piece);
    if (found == nullptr) {
      found = info.by_name(piece);
    }
    if (found == nullptr) {
      return std::nullopt;
    }
    result |= found->value;
    if (bar == std::string_view::npos) {
      return result;
    }
    text.remove_prefix(bar + 1);
  }
}

}  // namespace

NodeRef node_of(JsonObject* object) {
  JsonNode* node = json_node_alloc();
  json_node_init_object(node, object);
  return NodeRef::adopt(node);
}

NodeRef node_of(JsonArray* array) {
  JsonNode* node = json_node_alloc();
  json_node_init_array(node, array);
  return NodeRef::adopt(node);
}

NodeRef string_array(const std::vector<std::string>& items) {
  JsonArray* array = json_array_sized_new(static_cast<guint>(items.size()));
  for (const std::string& item : items) {
    json_array_add_string_element(array, item.c_str());
  }
  NodeRef node = node_of(array);
  json_array_unref(array);
  return node;
}

std::vector<std::string> read_string_array(JsonNode* node) {
  std::vector<std::string> items;
  if (node == nullptr || !JSON_NODE_HOLDS_ARRAY(node)) {
    return items;
  }
  JsonArray* array = json_node_get_array(node);
  const guint length = json_array_get_length(array);
  items.reserve(length);
  for (guint i = 0; i < length; ++i) {
    JsonNode* element = json_array_get_element(array, i);
    const char* text = JSON_NODE_HOLDS_VALUE(element) ? json_node_get_string(element) : nullptr;
    items.emplace_back(text != nullptr ? text : "");
  }
  return items;
}

NodeRef serialize_property(const Object& object, const PropertySpec& spec) {
  if (!spec.readable() || !spec.getter) {
    return {};
  }
  PropertyValue value = spec.getter(object);
  if (is_default(spec, value)) {
    return {};
  }
  JsonNode* node = json_node_alloc();
  if (const auto* b = std::get_if<bool>(&value)) {
    json_node_init_boolean(node, *b);
  } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
    json_node_init_int(node, *i);
  } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    json_node_init_int(node, static_cast<gint64>(*u));
  } else if (const auto* d = std::get_if<double>(&value)) {
    json_node_init_double(node, *d);
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    json_node_init_string(node, s->c_str());
  } else if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
    json_node_unref(node);
    return string_array(*list);
  } else if (const auto* child = std::get_if<ObjectPtr>(&value); child != nullptr && *child) {
    json_node_unref(node);
    ObjectRef members = serialize_object(**child);
    return node_of(members.get());
  } else {
    json_node_unref(node);
    return {};
  }
  return NodeRef::adopt(node);
}

ObjectRef serialize_object(const Object& object, const SerializeHook& hook) {
  ObjectRef json = ObjectRef::adopt(json_object_new());
  for (const PropertySpec* spec : object.type().properties()) {
    NodeRef node;
    if (!(hook && hook(object, *spec, node))) {
      node = serialize_property(object, *spec);
    }
    if (node) {
      json_object_set_member(json.get(), spec->name.c_str(), node.release());
    }
  }
  return json;
}

bool deserialize_property(Object& object, const PropertySpec& spec, JsonNode* node) {
  if (!spec.setter || node == nullptr) {
    return false;
  }
  const GType held = JSON_NODE_HOLDS_VALUE(node) ? json_node_get_value_type(node) : G_TYPE_INVALID;
  PropertyValue value;
  switch (spec.kind) {
    case PropertyKind::Boolean:
      if (held != G_TYPE_BOOLEAN) {
        return false;
      }
      value = json_node_get_boolean(node) != FALSE;
      break;
    case PropertyKind::Enum:
    case PropertyKind::Flags:
      if (held == G_TYPE_STRING && spec.enum_info != nullptr) {
        auto parsed = enum_from_text(*spec.enum_info, json_node_get_string(node));
        if (!parsed) {
          return false;
        }
        value = spec.kind == PropertyKind::Flags ? PropertyValue(static_cast<std::uint64_t>(*parsed))
                                                 : PropertyValue(*parsed);
        break;
      }
      [[fallthrough]];
    case PropertyKind::Int8:
    case PropertyKind::Int16:
    case PropertyKind::Int32:
    case PropertyKind::Int64:
    case PropertyKind::UInt8:
    case PropertyKind::UInt16:
    case PropertyKind::UInt32:
    case PropertyKind::UInt64:
      if (held != G_TYPE_INT64) {
        return false;
      }
      value = static_cast<std::int64_t>(json_node_get_int(node));
      break;
    case PropertyKind::Float:
    case PropertyKind::Double:
      if (held == G_TYPE_DOUBLE) {
        value = json_node_get_double(node);
      } else if (held == G_TYPE_INT64) {
        value = static_cast<double>(json_node_get_int(node));
      } else {
        return false;
      }
      break;
    case PropertyKind::String:
      if (JSON_NODE_HOLDS_NULL(node)) {
        value = std::monostate{};
      } else if (held == G_TYPE_STRING) {
        value = std::string(json_node_get_string(node));
      } else {
        return false;
      }
      break;
    case PropertyKind::StringList:
      if (!JSON_NODE_HOLDS_ARRAY(node)) {
        return false;
      }
      value = read_string_array(node);
      break;
    case PropertyKind::Object: {
      if (!JSON_NODE_HOLDS_OBJECT(node) || spec.value_type == nullptr) {
        return false;
      }
      ObjectPtr child = spec.value_type->create();
      if (!child) {
        return false;
      }
      deserialize_object(*child, json_node_get_object(node));
      value = child;
      break;
    }
    case PropertyKind::DateTime:
    case PropertyKind::Other:
      return false;
  }
  spec.setter(object, value);
  return true;
}

void deserialize_object(Object& object, JsonObject* json, const DeserializeHook& hook) {
  if (json == nullptr) {
    return;
  }
  GList* members = json_object_get_members(json);
  for (GList* item = members; item != nullptr; item = item->next) {
    const auto* name = static_cast<const char*>(item->data);
    const PropertySpec* spec = object.type().find_property(name);
    if (spec == nullptr || !spec->writable()) {
      continue;
    }
    JsonNode* node = json_object_get_member(json, name);
    if (!(hook && hook(object, *spec, node))) {
      deserialize_property(object, *spec, node);
    }
  }
  g_list_free(members);
}

std::string to_text(JsonNode* root, bool pretty, unsigned indent) {
  auto generator = GRef<JsonGenerator>::adopt(json_generator_new());
  json_generator_set_root(generator.get(), root);
  json_generator_set_pretty(generator.get(), pretty ? TRUE : FALSE);
  json_generator_set_indent(generator.get(), indent);
  json_generator_set_indent_char(generator.get(), ' ');
  gsize length = 0;
  gchar* text = json_generator_to_data(generator.get(), &length);
  std::string result(text, length);
  g_free(text);
  return result;
}

Status check_depth(std::string_view text) {
  std::size_t depth = 0;
  bool in_string = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (in_string) {
      if (c == '\\') {
        ++at;  // the escaped character cannot end the string
      } else if (c == '"') {
        in_string = false;
      }
      continue;
    }
    switch (c) {
      case '"':
        in_string = true;
        break;
      case '[':
      case '{':
        if (++depth > kMaxDepth) {
          GCharPtr message(g_strdup_printf(g_dgettext(kGettextDomain, "JSON text is nested deeper than %zu levels (at byte %zu)"), kMaxDepth,
                                           at));
          return fail("JSON", -1, message.get());
        }
        break;
      case ']':
      case '}':
        // Unbalanced closing brackets are the parser's to report.
        if (depth > 0) {
          --depth;
        }
        break;
      default:
        break;
    }
  }
  return {};
}

namespace {

// The value of the four hexadecimal digits at `at`, or -1.
int hex4(std::string_view text, std::size_t at) {
  if (at + 4 > text.size()) {
    return -1;
  }
  int value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const int digit = g_ascii_xdigit_value(text[i]);
    if (digit < 0) {
      return -1;
    }
    value = value * 16 + digit;
  }
  return value;
}

// json-glib turns a \uD800-\uDBFF escape that no \uDC00-\uDFFF follows, and
// a \uDC00-\uDFFF escape that follows none, into bytes that are not UTF-8
// (dropping the character after a high one), so what was read from such text
// could never be written and read back. Such escapes are refused, and so are
// escapes without their four digits.
Status check_escapes(std::string_view text) {
  for (std::size_t at = text.find("\\u"); at != std::string_view::npos; at = text.find("\\u", at + 2)) {
    // An escape only when the backslash is not itself escaped.
    std::size_t backslashes = 1;
    while (backslashes <= at && text[at - backslashes] == '\\') {
      ++backslashes;
    }
    if (backslashes % 2 == 0) {
      continue;
    }
    const int unit = hex4(text, at + 2);
    if (unit < 0) {
      // json-glib reads the characters after a short escape as digits all
      // the same, which may make half a surrogate pair.
      GCharPtr message(g_strdup_printf(
          g_dgettext(kGettextDomain, "JSON text holds an escape without four hexadecimal digits (at byte %zu)"), at));
      return fail("JSON", -1, message.get());
    }
    if (unit < 0xD800 || unit > 0xDFFF) {
      continue;
    }
    // A low half here follows no high one: a pair's low half is skipped below.
    const bool paired = unit <= 0xDBFF && text.substr(at + 6, 2) == "\\u" && hex4(text, at + 8) >= 0xDC00 &&
                        hex4(text, at + 8) <= 0xDFFF;
    if (!paired) {
      GCharPtr message(g_strdup_printf(
          g_dgettext(kGettextDomain, "JSON text holds the lone surrogate escape %.6s (at byte %zu)"), text.data() + at,
          at));
      return fail("JSON", -1, message.get());
    }
    at += 6;
  }
  return {};
}

}  // namespace

Result<NodeRef> parse(std::string_view text) {
  if (Status deep = check_depth(text); !deep) {
    return fail(std::move(deep.error()));
  }
  if (Status broken = check_escapes(text); !broken) {
    return fail(std::move(broken.error()));
  }
  auto parser = GRef<JsonParser>::adopt(json_parser_new());
  GError* error = nullptr;
  if (json_parser_load_from_data(parser.get(), text.data(), static_cast<gssize>(text.size()), &error) == FALSE) {
    return fail(Error::take_gerror(error));
  }
  JsonNode* root = json_parser_get_root(parser.get());
  if (root == nullptr) {
    JsonNode* empty = json_node_alloc();
    json_node_init_null(empty);
    return NodeRef::adopt(empty);
  }
  return NodeRef::share(root);
}

Result<NodeRef> parse_file(const std::string& filename) {
  // Read first, so the depth is checked before json-glib parses; the read
  // error is the one json-glib's own file loader would report.
  gchar* contents = nullptr;
  gsize length = 0;
  GError* error = nullptr;
  if (g_file_get_contents(filename.c_str(), &contents, &length, &error) == FALSE) {
    return fail(Error::take_gerror(error));
  }
  GCharPtr owned(contents);
  Result<NodeRef> parsed = parse(std::string_view(contents, length));
  // json-glib names text it was handed as "<data>"; say which file it was.
  static constexpr std::string_view kUnnamed = "<data>:";
  if (!parsed && parsed.error().message.starts_with(kUnnamed)) {
    parsed.error().message.replace(0, kUnnamed.size() - 1, filename);
  }
  return parsed;
}

}  // namespace Tolvane::Core::Json
