#include "orvel/helpers/file_type_helper.hpp"

#include <algorithm>
#include <mutex>

#include <json-glib/json-glib.h>

#include "orvel/foundation/logging_service.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/source_log.hpp"

extern "C" void orvel_register_resource(void);

namespace Tolvane::Orvel::Helpers {

namespace {

using Foundation::LoggingService;

// Signatures further into the data than this are taken for typing errors:
// no format in any table puts its magic a megabyte in.
constexpr std::size_t kMaxOffset = 1 << 20;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;  // lower case never matches the upper-case rendering
}

// The offset and bytes of "<offset>,<HEX>", or false when the signature could
// make matching read outside the data or can never match.
bool decode_signature(std::string_view sign, std::size_t& offset, std::vector<std::uint8_t>& bytes) {
  const std::size_t comma = sign.find(',');
  if (comma == std::string_view::npos || comma == 0) {
    return false;
  }
  offset = 0;
  for (char c : sign.substr(0, comma)) {
    if (c < '0' || c > '9') {
      return false;
    }
    offset = offset * 10 + static_cast<std::size_t>(c - '0');
    if (offset > kMaxOffset) {
      return false;
    }
  }
  const std::string_view hex = sign.substr(comma + 1);
  if (hex.empty() || hex.size() % 2 != 0) {
    return false;
  }
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hex_digit(hex[i]);
    const int low = hex_digit(hex[i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return true;
}

}  // namespace

void register_orvel_resources() {
  // Registering a bundle twice would list its files twice.
  static std::once_flag once;
  std::call_once(once, [] { orvel_register_resource(); });
}

FileTypeHelper& FileTypeHelper::get_singleton() {
  // A function-local static: created once, even when several threads ask first.
  static FileTypeHelper* helper = [] {
    auto* made = new FileTypeHelper();
    made->load_resource();
    return made;
  }();
  return *helper;
}

FileTypeHelper FileTypeHelper::from_json(std::string_view json) {
  FileTypeHelper helper;
  helper.load_json(json);
  return helper;
}

void FileTypeHelper::load_resource() {
  GError* raw = nullptr;
  auto stream = Core::GRef<GInputStream>::adopt(
      g_resources_open_stream(kResourcePath, G_RESOURCE_LOOKUP_FLAGS_NONE, &raw));
  if (!stream) {
    Core::GErrorPtr error(raw);
    LoggingService::error(nullptr, "read file type info failed: %s", error->message);
    return;
  }
  auto parser = Core::GRef<JsonParser>::adopt(json_parser_new());
  if (!json_parser_load_from_stream(parser.get(), stream.get(), nullptr, &raw)) {
    Core::GErrorPtr error(raw);
    if (error->domain == G_IO_ERROR) {
      LoggingService::error(nullptr, "read file type info failed: %s", error->message);
    } else {
      LoggingService::error(nullptr, "load file type info failed: %s", error->message);
    }
  } else {
    load_root(json_parser_get_root(parser.get()));
  }
  if (!g_input_stream_close(stream.get(), nullptr, &raw)) {
    Core::GErrorPtr error(raw);
    LoggingService::error(nullptr, "close file type info resource stream failed: %s", error->message);
  }
}

void FileTypeHelper::load_json(std::string_view json) {
  auto parser = Core::GRef<JsonParser>::adopt(json_parser_new());
  GError* raw = nullptr;
  if (!json_parser_load_from_data(parser.get(), json.data(), static_cast<gssize>(json.size()), &raw)) {
    Core::GErrorPtr error(raw);
    LoggingService::error(nullptr, "load file type info failed: %s", error->message);
    return;
  }
  load_root(json_parser_get_root(parser.get()));
}

void FileTypeHelper::load_root(JsonNode* root) {
  if (root == nullptr || !JSON_NODE_HOLDS_OBJECT(root)) {
    TOLVANE_WARNING("Failed to load and get file type json root object.");
    return;
  }
  JsonObject* object = json_node_get_object(root);
  if (json_object_get_size(object) == 0) {
    TOLVANE_WARNING("Root object is empty object");
    return;
  }
  GList* members = json_object_get_members(object);
  for (GList* item = members; item != nullptr; item = item->next) {
    const char* name = static_cast<const char*>(item->data);
    JsonNode* node = json_object_get_member(object, name);
    if (!JSON_NODE_HOLDS_OBJECT(node)) {
      continue;
    }
    JsonObject* entry = json_node_get_object(node);
    FileTypeSignature record;
    record.name = name;
    if (const char* mime = json_object_get_string_member_with_default(entry, "mime", nullptr)) {
      record.mime = mime;
    }
    JsonNode* signs = json_object_get_member(entry, "signs");
    if (signs != nullptr && JSON_NODE_HOLDS_ARRAY(signs)) {
      JsonArray* array = json_node_get_array(signs);
      for (guint i = 0; i < json_array_get_length(array); ++i) {
        JsonNode* sign = json_array_get_element(array, i);
        if (JSON_NODE_HOLDS_VALUE(sign) && json_node_get_value_type(sign) == G_TYPE_STRING) {
          record.signs.emplace_back(json_node_get_string(sign));
        }
      }
    }
    add_record(std::move(record));
  }
  g_list_free(members);
}

void FileTypeHelper::add_record(FileTypeSignature record) {
  const std::size_t index = m_records.size();
  for (const std::string& sign : record.signs) {
    Pattern pattern{index, 0, {}};
    if (decode_signature(sign, pattern.offset, pattern.bytes)) {
      m_patterns.push_back(std::move(pattern));
    } else {
      TOLVANE_WARNING("ignored file type signature %s of %s", sign.c_str(), record.name.c_str());
    }
  }
  m_records.push_back(std::move(record));
}

std::string FileTypeHelper::guess_file_type(const std::uint8_t* data, std::size_t length) const {
  if (data != nullptr) {
    for (const Pattern& pattern : m_patterns) {
      const std::size_t end = pattern.offset + pattern.bytes.size();
      if (end < length && std::equal(pattern.bytes.begin(), pattern.bytes.end(), data + pattern.offset)) {
        return m_records[pattern.record].mime;
      }
    }
  }
  return "unknown/unknown";
}

}  // namespace Tolvane::Orvel::Helpers
