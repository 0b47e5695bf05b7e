#include "orvel/supports/data/extractors/json_extractor.hpp"

#include <charconv>
#include <cmath>

#include <glib/gstdio.h>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/data/extractors/record_import.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/number_text.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Foundation::LoggingService;
using Providers::Contracts::DataType;
using Providers::Contracts::TableModel;
using Providers::Contracts::ValueString;

namespace {

constexpr std::string_view kRecords = "RECORDS";
// json-glib's pretty layout with an indent of four blanks.
constexpr std::string_view kHead = "{\n    \"RECORDS\" : [";
constexpr std::string_view kRecordOpen = "        {\n";
constexpr std::string_view kMemberIndent = "            ";
constexpr std::string_view kRecordClose = "\n        }";

Core::Error format_error(const char* message) { return Core::Error{"JSON", -1, Core::_(message)}; }

// The "RECORDS" array of a parsed document, or why there is none.
Core::Result<JsonArray*> records_of(JsonNode* root) {
  if (root == nullptr || !JSON_NODE_HOLDS_OBJECT(root)) {
    return Core::fail(format_error("invalid json format: root object not exist."));
  }
  JsonNode* member = json_object_get_member(json_node_get_object(root), kRecords.data());
  if (member == nullptr) {
    return Core::fail(format_error("invalid json format: RECORDS member not exist."));
  }
  if (!JSON_NODE_HOLDS_ARRAY(member)) {
    return Core::fail(format_error("invalid json format: object array not exist."));
  }
  return json_node_get_array(member);
}

template <class Integer>
void append_integer(std::string& out, Integer value) {
  char buffer[24];
  const auto printed = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, printed.ptr);
}

void append_number(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "null";  // no JSON number and no SQLite value stands for it
  } else if (std::isinf(value)) {
    // Out of range for every double, so parsers read it back as infinity; SQLite's JSON functions write the same.
    out += value > 0 ? "9e999" : "-9e999";
  } else {
    char buffer[Core::kDoubleTextCapacity];
    out.append(buffer, Core::format_double(value, buffer));
  }
}

// The records of a parsed document for an import: each object's members are
// the source names and its values' texts the source values.
class JsonRecords final : public RecordSource {
 public:
  JsonRecords(Core::Json::NodeRef root, JsonArray* records, std::uint64_t size)
      : m_root(std::move(root)), m_records(records), m_count(json_array_get_length(records)), m_size(size) {}

  guint count() const { return m_count; }

  Core::Result<Read> next() override {
    if (m_index >= m_count) {
      return Read::End;
    }
    JsonNode* element = json_array_get_element(m_records, m_index++);
    if (!JSON_NODE_HOLDS_OBJECT(element)) {
      m_refusal = Core::_("the record is not a JSON object");
      return Read::Refused;
    }
    m_names.clear();
    m_values.clear();
    m_texts.clear();
    JsonObjectIter members;
    const gchar* name = nullptr;
    JsonNode* value = nullptr;
    json_object_iter_init_ordered(&members, json_node_get_object(element));
    while (json_object_iter_next_ordered(&members, &name, &value)) {
      bool is_text = false;
      m_names.emplace_back(name);
      m_values.push_back(JsonExtractor::decoded_text(value, &is_text));
      m_texts.push_back(is_text);
    }
    return Read::Record;
  }

  const Names& names() const override { return m_names; }
  const Names& values() const override { return m_values; }
  const Blanks* texts() const override { return &m_texts; }
  std::int64_t line() const override { return 0; }
  const std::string& refusal() const override { return m_refusal; }
  std::int64_t counter() const override { return static_cast<std::int64_t>(m_index) - 1; }
  // The document is parsed whole; its bytes count as consumed in step with
  // the records.
  std::uint64_t consumed() const override { return m_count == 0 ? m_size : m_size * m_index / m_count; }
  void log_failure(const std::string& message) const override {
    LoggingService::error(nullptr, "import row failed: %s", message.c_str());
  }

 private:
  Core::Json::NodeRef m_root;  // keeps m_records alive
  JsonArray* m_records;
  guint m_count;
  guint m_index = 0;
  std::uint64_t m_size;
  Names m_names;
  Names m_values;
  Blanks m_texts;
  std::string m_refusal;
};

}  // namespace

const Core::TypeInfo& JsonExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsJsonExtractor", &BaseExtractor::static_type(),
                                   {&Contracts::Data::IImporter::static_type()}, nullptr, {});
  return info;
}

std::shared_ptr<JsonExtractor> JsonExtractor::create(std::optional<std::string_view> file_extension) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_extension.has_value(), "file_extension != NULL", nullptr);
  return std::make_shared<JsonExtractor>(std::string(*file_extension));
}

// --- Writing ---

bool JsonExtractor::append_string(std::string& out, std::string_view text) {
  // NUL is a character to JSON (\u0000), not the end of the text.
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\0', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    if (end > start && g_utf8_validate_len(text.data() + start, end - start, nullptr) == FALSE) {
      return false;
    }
    start = end + 1;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  out.reserve(out.size() + text.size() + 2);
  out += '"';
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') {
      continue;
    }
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    switch (byte) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += "\\u00";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
        break;
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  out += '"';
  return true;
}

bool JsonExtractor::append_value(std::string& out, const ValueObject* value, std::string& scratch) {
  using namespace Providers::Contracts;
  if (value == nullptr || value->get_is_null()) {
    out += "null";
    return true;
  }
  switch (value->get_data_type()) {
    case DataType::Boolean:
      if (const auto* boolean = dynamic_cast<const ValueBoolean*>(value)) {
        out += boolean->get_itsvalue() ? "true" : "false";
        return true;
      }
      break;
    case DataType::Int8:
    case DataType::Int16:
    case DataType::Int32:
    case DataType::Int64:
      if (const auto* integer = dynamic_cast<const IInteger*>(value)) {
        append_integer(out, integer->to_integer());
        return true;
      }
      break;
    case DataType::UInt8:
    case DataType::UInt16:
    case DataType::UInt32:
    case DataType::UInt64:
      if (const auto* integer = dynamic_cast<const IUnsigned*>(value)) {
        append_integer(out, integer->to_unsigned());
        return true;
      }
      break;
    case DataType::Money:
    case DataType::Decimal:
    case DataType::Float:
    case DataType::Double:
      if (const auto* number = dynamic_cast<const INumeric*>(value)) {
        append_number(out, number->to_double());
        return true;
      }
      break;
    default:
      break;
  }
  return append_string(out, Helpers::DatabaseHelper::exact_text_view(*value, scratch));
}

Core::Status JsonExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) {
  m_rows = 0;
  m_members.clear();
  for (const auto& column : columns) {
    std::string member(kMemberIndent);
    if (!append_string(member, column.name)) {
      return Core::fail("JSON", -1, std::string(Core::_("a column name is not UTF-8, which JSON cannot carry: ")) +
                                        Core::take_std(g_strescape(column.name.c_str(), "")));
    }
    member += " : ";
    m_members.push_back(std::move(member));
  }
  return sink.write(kHead);
}

Core::Status JsonExtractor::try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                           const RowSource::Values& row) {
  out += m_rows++ == 0 ? "\n" : ",\n";
  out += kRecordOpen;
  const std::size_t count = std::min(columns.size(), row.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) {
      out += ",\n";
    }
    out += m_members[i];
    if (!append_value(out, row[i].get(), m_scratch)) {
      return Core::fail("JSON", -1,
                        std::string(Core::_("row ")) + std::to_string(m_rows) + Core::_(", column ") +
                            columns[i].name + Core::_(": the text is not UTF-8, which JSON cannot carry"));
    }
  }
  out += kRecordClose;
  return {};
}

Core::Status JsonExtractor::write_tail(const std::vector<ExportColumn>&, OutputSink& sink) {
  return sink.write(m_rows > 0 ? "\n    ]\n}" : "]\n}");
}

// --- Reading ---

std::string JsonExtractor::decoded_text(JsonNode* node, bool* is_text) {
  if (is_text != nullptr) {
    *is_text = false;
  }
  if (node == nullptr || JSON_NODE_TYPE(node) != JSON_NODE_VALUE) {
    return {};
  }
  const GType type = json_node_get_value_type(node);
  if (type == G_TYPE_INT64) {
    std::string text;
    append_integer(text, json_node_get_int(node));
    return text;
  }
  if (type == G_TYPE_DOUBLE) {
    std::string text;
    append_number(text, json_node_get_double(node));
    return text;
  }
  if (type == G_TYPE_STRING) {
    if (is_text != nullptr) {
      *is_text = true;
    }
    // json-glib has undone the escapes already; the text is taken as it is.
    return json_node_get_string(node);
  }
  return {};
}

Core::Result<JsonExtractor::TableModelPtr> JsonExtractor::load(const Core::Result<Core::Json::NodeRef>& parsed,
                                                               int max_rows) {
  if (!parsed) {
    return Core::fail(parsed.error());
  }
  auto records = records_of(parsed->get());
  if (!records) {
    return Core::fail(records.error());
  }
  auto model = TableModel::create();
  const guint count = json_array_get_length(*records);
  std::size_t width = 0;
  for (guint i = 0; i < count; ++i) {
    JsonNode* element = json_array_get_element(*records, i);
    if (!JSON_NODE_HOLDS_OBJECT(element)) {
      const std::string message = Core::_("data model create row failed.");
      LoggingService::error(nullptr, "create row failed:%d -> %s", static_cast<int>(i), message.c_str());
      if (!get_continue_on_error()) {
        return Core::fail("JSON", -1, message);
      }
      continue;
    }
    JsonObject* object = json_node_get_object(element);
    JsonObjectIter members;
    const gchar* name = nullptr;
    JsonNode* value = nullptr;
    if (model->get_columns().empty() && model->get_rows().empty()) {
      json_object_iter_init_ordered(&members, object);
      while (json_object_iter_next_ordered(&members, &name, &value)) {
        model->get_columns().push_back(Providers::Contracts::ColumnModel::full(name, DataType::String));
      }
      width = model->get_columns().size();
    }
    auto row = Providers::Contracts::RowModel::create();
    auto& values = row->get_values();
    values.reserve(width);
    json_object_iter_init_ordered(&members, object);
    // By position under the first record's names; members beyond them are left out.
    while (values.size() < width && json_object_iter_next_ordered(&members, &name, &value)) {
      std::string text = decoded_text(value);
      LoggingService::debug(nullptr, "cell value: %d --> %s", static_cast<int>(values.size()), text.c_str());
      values.push_back(ValueString::create(std::move(text)));
    }
    while (values.size() < width) {
      values.push_back(ValueString::create());
    }
    model->get_rows().push_back(std::move(row));
    if (max_rows > 0 && model->get_rows().size() >= static_cast<std::size_t>(max_rows)) {
      break;
    }
  }
  return model;
}

Core::Result<JsonExtractor::TableModelPtr> JsonExtractor::load_from_text(const std::string& textbuffer) {
  return load(Core::Json::parse(textbuffer), 0);
}

Core::Result<JsonExtractor::TableModelPtr> JsonExtractor::load_from_file(int max_rows) {
  auto filename = input_file();
  if (!filename) {
    return Core::fail(filename.error());
  }
  return load(Core::Json::parse_file(*filename), max_rows);
}

void JsonExtractor::start_import(Core::Result<Core::Json::NodeRef> parsed, std::uint64_t size,
                                 ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                                 Contracts::Data::CountCompletion done) {
  TOLVANE_RETURN_IF_FAIL(connection != nullptr, "connection != NULL");
  TOLVANE_RETURN_IF_FAIL(table != nullptr, "table != NULL");
  if (!parsed) {
    complete_later(std::move(done), Core::fail(parsed.error()));
    return;
  }
  auto records = records_of(parsed->get());
  if (!records) {
    complete_later(std::move(done), Core::fail(records.error()));
    return;
  }
  auto source = std::make_unique<JsonRecords>(std::move(*parsed), *records, size);
  const auto total = static_cast<std::uint32_t>(source->count());
  auto import = std::make_shared<RecordImport>(self<JsonExtractor>(), std::move(source), std::move(connection),
                                               std::move(table), RecordImport::Count::Affected, std::move(done));
  if (progress) {
    import->set_after_record([progress = std::move(progress), total](std::int64_t, std::int64_t affected) {
      progress(total, static_cast<std::uint32_t>(affected), {});
    });
  }
  import->start();
}

void JsonExtractor::import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                                     Contracts::Data::CountCompletion done) {
  auto filename = input_file();
  if (!filename) {
    complete_later(std::move(done), Core::fail(filename.error()));
    return;
  }
  GStatBuf stat_buffer{};
  const std::uint64_t size = g_stat(filename->c_str(), &stat_buffer) == 0 ? stat_buffer.st_size : 0;
  start_import(Core::Json::parse_file(*filename), size, std::move(connection), std::move(table),
               std::move(progress), std::move(done));
}

void JsonExtractor::import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                                     ProgressCallback progress, Contracts::Data::CountCompletion done) {
  start_import(Core::Json::parse(textbuffer), textbuffer.size(), std::move(connection), std::move(table),
               std::move(progress), std::move(done));
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
