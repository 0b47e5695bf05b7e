#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gio/gio.h>
#include <json-glib/json-glib.h>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Helpers {

// One entry of the signature table: a file extension, the type text it stands
// for, and its signatures ("<decimal offset>,<upper-case hex bytes>").
struct ORVEL_API FileTypeSignature {
  std::string name;
  std::string mime;
  std::vector<std::string> signs;
};

// Recognises binary content by magic-byte signatures. The table is the JSON
// resource "extensions.json" that the host registers (liborvel ships one,
// `register_orvel_resources()`), read once by the first `get_singleton()`.
//
// Signatures are checked when the table is loaded: one with an offset that is
// not a plain non-negative decimal number, that lies beyond any sensible
// buffer, or whose bytes are not an even number of upper-case hex digits is
// left out with a warning, so matching never reads outside the buffer.
//
// Thread rules: `get_singleton` may be called from any thread (the first call
// loads the table once); the table is never changed afterwards, so
// `guess_file_type` is safe from any thread.
class ORVEL_API FileTypeHelper {
 public:
  // Where the table is looked up among the registered resources.
  static constexpr const char* kResourcePath = "/org/tolvane/settings/extensions.json";

  static FileTypeHelper& get_singleton();

  // The `mime` of the first record (in table order) one of whose signatures
  // matches; "unknown/unknown" when none does. A signature matches when its
  // bytes end strictly before the end of the data.
  std::string guess_file_type(const std::uint8_t* data, std::size_t length) const;

  const std::vector<FileTypeSignature>& records() const noexcept { return m_records; }

  // A helper over a table given as JSON text (tests, hosts with a table of
  // their own); the singleton uses the resource.
  static FileTypeHelper from_json(std::string_view json);

 private:
  struct Pattern {
    std::size_t record;
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
  };

  FileTypeHelper() = default;
  void load_resource();
  void load_json(std::string_view json);
  void load_root(JsonNode* root);
  void add_record(FileTypeSignature record);

  std::vector<FileTypeSignature> m_records;
  // Each accepted signature, decoded, in table order.
  std::vector<Pattern> m_patterns;
};

// Registers the resource bundle compiled into liborvel (the signature table
// among it). The library never calls it; hosts do, at start-up. Calls after
// the first do nothing.
ORVEL_API void register_orvel_resources();

}  // namespace Tolvane::Orvel::Helpers
