#include "orvel/supports/data/extractors/xml_extractor.hpp"

#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <optional>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/data/extractors/record_import.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Foundation::LoggingService;
using Providers::Contracts::DataType;
using Providers::Contracts::TableModel;
using Providers::Contracts::ValueString;

namespace {

constexpr const char* kSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";

const xmlChar* xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
const char* text_of(const xmlChar* text) { return text != nullptr ? reinterpret_cast<const char*>(text) : ""; }

// --- Names ---

// XML 1.0 (fifth edition) NameStartChar without ':', which would make the
// name a prefixed one; libxml2's parser applies these rules.
bool name_start_char(gunichar c) {
  return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
         (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool name_char(gunichar c) {
  return name_start_char(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

struct Escape {
  gunichar code;
  std::size_t length;
};

// The escape "_xHHHH_" or "_xHHHHHHHH_" that starts at `at`, when there is
// one that stands for a character (or for nothing: U+0000).
std::optional<Escape> escape_at(std::string_view name, std::size_t at) {
  if (name.compare(at, 2, "_x") != 0) {
    return std::nullopt;
  }
  for (std::size_t digits : {std::size_t{4}, std::size_t{8}}) {
    const std::size_t end = at + 2 + digits;
    if (end >= name.size() || name[end] != '_') {
      continue;
    }
    gunichar code = 0;
    bool hex = true;
    for (std::size_t i = at + 2; i < end && hex; ++i) {
      const int digit = g_ascii_xdigit_value(name[i]);
      hex = digit >= 0;
      code = code * 16 + static_cast<gunichar>(digit);
    }
    if (hex && (code == 0 || g_unichar_validate(code))) {
      return Escape{code, digits + 3};
    }
  }
  return std::nullopt;
}

void append_escape(std::string& out, gunichar code) {
  char digits[16];
  g_snprintf(digits, sizeof digits, code > 0xFFFF ? "_x%08X_" : "_x%04X_", code);
  out += digits;
}

// What XML 1.0 cannot carry in `text`: nothing (empty), or a description.
std::string unwritable(std::string_view text) {
  if (g_utf8_validate_len(text.data(), text.size(), nullptr) == FALSE) {
    if (text.find('\0') == std::string_view::npos) {
      return Core::_("the text is not UTF-8");
    }
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
      char code[8];
      g_snprintf(code, sizeof code, "U+%04X", byte);
      return std::string(Core::_("the text holds the control character ")) + code;
    }
    // U+FFFE and U+FFFF are UTF-8 but no XML characters.
    if (byte == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        static_cast<unsigned char>(text[i + 2]) >= 0xBE) {
      return Core::_("the text holds a non-character (U+FFFE or U+FFFF)");
    }
  }
  return {};
}

Core::Error writer_error(const char* action) {
  return Core::Error{"XML", -1, std::string(Core::_("the XML writer failed to ")) + action};
}

}  // namespace

// --- Writing ---

// libxml2's text writer into a memory buffer whose content is taken after
// each piece. Every call's result is checked: the writer reports failures
// (no memory, an encoding error) only through them.
class XmlExtractor::Writer {
 public:
  Writer() : m_buffer(xmlBufferCreate()) {
    if (m_buffer != nullptr) {
      m_writer = xmlNewTextWriterMemory(m_buffer, 0);
    }
  }
  ~Writer() {
    if (m_writer != nullptr) {
      xmlFreeTextWriter(m_writer);
    }
    if (m_buffer != nullptr) {
      xmlBufferFree(m_buffer);
    }
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  xmlTextWriterPtr get() const { return m_writer; }

  // Each libxml2 call's result, turned into a status.
  static Core::Status check(int result, const char* action) {
    return result < 0 ? Core::Status(Core::fail(writer_error(action))) : Core::Status();
  }

  // What the writer has produced since the last call, appended to `out`.
  Core::Status take(std::string& out) {
    if (auto flushed = check(xmlTextWriterFlush(m_writer), "flush"); !flushed) {
      return flushed;
    }
    out.append(text_of(xmlBufferContent(m_buffer)), static_cast<std::size_t>(xmlBufferLength(m_buffer)));
    xmlBufferEmpty(m_buffer);
    return {};
  }

 private:
  xmlBufferPtr m_buffer = nullptr;
  xmlTextWriterPtr m_writer = nullptr;
};

const Core::TypeInfo& XmlExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsXmlExtractor", &BaseExtractor::static_type(),
                                   {&Contracts::Data::IImporter::static_type()}, nullptr, {});
  return info;
}

XmlExtractor::XmlExtractor(std::string file_extension) : BaseExtractor(std::move(file_extension)) {}

XmlExtractor::~XmlExtractor() = default;

std::shared_ptr<XmlExtractor> XmlExtractor::create(std::optional<std::string_view> file_extension) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_extension.has_value(), "file_extension != NULL", nullptr);
  return std::make_shared<XmlExtractor>(std::string(*file_extension));
}

Core::Result<std::string> XmlExtractor::encode_name(std::string_view name) {
  if (g_utf8_validate_len(name.data(), name.size(), nullptr) == FALSE) {
    return Core::fail("XML", -1, std::string(Core::_("a column name is not UTF-8, which XML cannot carry: ")) +
                                     Core::take_std(g_strescape(std::string(name).c_str(), "")));
  }
  if (name.empty()) {
    return std::string("_x0000_");
  }
  std::string out;
  out.reserve(name.size());
  std::size_t at = 0;
  if (name == "xmlns") {
    // Read as a namespace declaration, not as an attribute.
    append_escape(out, 'x');
    at = 1;
  }
  for (; at < name.size(); at = static_cast<std::size_t>(g_utf8_next_char(name.data() + at) - name.data())) {
    const gunichar c = g_utf8_get_char(name.data() + at);
    const bool first = out.empty();
    if (c == '_' && escape_at(name, at)) {
      append_escape(out, c);
    } else if (first ? name_start_char(c) : name_char(c)) {
      out.append(name.data() + at, static_cast<std::size_t>(g_utf8_skip[static_cast<unsigned char>(name[at])]));
    } else {
      append_escape(out, c);
    }
  }
  return out;
}

std::string XmlExtractor::decode_name(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    if (auto escape = name[at] == '_' ? escape_at(name, at) : std::nullopt) {
      if (escape->code != 0) {
        char bytes[6];
        out.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(escape->code, bytes)));
      }
      at += escape->length;
    } else {
      out += name[at++];
    }
  }
  return out;
}

Core::Status XmlExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) {
  m_attributes = option("STORAGE") == "attribute";
  m_mark_null = !m_attributes && option_is_true("MARK_NULL", false);
  m_null_value = option("NULL_VALUE");
  m_rows = 0;
  m_names.clear();
  for (const auto& column : columns) {
    auto name = encode_name(column.name);
    if (!name) {
      return Core::fail(name.error());
    }
    if (m_attributes && std::find(m_names.begin(), m_names.end(), *name) != m_names.end()) {
      return Core::fail("XML", -1,
                        std::string(Core::_("two columns are named ")) + column.name +
                            Core::_(": attributes of one element need distinct names (use child elements)"));
    }
    m_names.push_back(std::move(*name));
  }
  if (auto unwritable_null = unwritable(m_null_value); !unwritable_null.empty()) {
    return Core::fail("XML", -1, std::string("NULL_VALUE: ") + unwritable_null);
  }
  m_writer = std::make_unique<Writer>();
  xmlTextWriterPtr writer = m_writer->get();
  if (writer == nullptr) {
    return Core::fail(writer_error("start"));
  }
  Core::Status status = Writer::check(xmlTextWriterSetIndent(writer, 1), "indent");
  if (status) {
    status = Writer::check(xmlTextWriterSetIndentString(writer, xml("    ")), "indent");
  }
  if (status) {
    status = Writer::check(xmlTextWriterStartDocument(writer, "1.0", "utf-8", nullptr), "start the document");
  }
  if (status) {
    status = Writer::check(xmlTextWriterStartElement(writer, xml("RECORDS")), "start RECORDS");
  }
  if (status && m_mark_null) {
    status = Writer::check(xmlTextWriterWriteAttribute(writer, xml("xmlns:xsi"), xml(kSchemaInstance)),
                           "declare the namespace");
  }
  std::string head;
  if (status) {
    status = m_writer->take(head);
  }
  if (!status) {
    return status;
  }
  return sink.write(head);
}

Core::Status XmlExtractor::try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                          const RowSource::Values& row) {
  ++m_rows;
  xmlTextWriterPtr writer = m_writer->get();
  if (auto started = Writer::check(xmlTextWriterStartElement(writer, xml("RECORD")), "start a RECORD"); !started) {
    return started;
  }
  const std::size_t count = std::min(columns.size(), row.size());
  for (std::size_t i = 0; i < count; ++i) {
    const auto& value = row[i];
    const bool null = value == nullptr || value->get_is_null();
    // Terminated, for libxml2: the value's own text or the scratch copy.
    std::string text(null ? std::string_view(m_null_value)
                          : Helpers::DatabaseHelper::exact_text_view(*value, m_scratch));
    if (auto problem = unwritable(text); !problem.empty()) {
      return Core::fail("XML", -1,
                        std::string(Core::_("row ")) + std::to_string(m_rows) + Core::_(", column ") +
                            columns[i].name + ": " + problem + Core::_(", which XML cannot carry"));
    }
    const xmlChar* name = xml(m_names[i].c_str());
    Core::Status written;
    if (m_attributes) {
      written = Writer::check(xmlTextWriterWriteAttribute(writer, name, xml(text.c_str())), "write an attribute");
    } else if (null && m_mark_null) {
      written = Writer::check(xmlTextWriterStartElement(writer, name), "start a cell");
      if (written) {
        written = Writer::check(xmlTextWriterWriteAttribute(writer, xml("xsi:nil"), xml("true")), "mark a null");
      }
      if (written) {
        written = Writer::check(xmlTextWriterEndElement(writer), "end a cell");
      }
    } else {
      written = Writer::check(xmlTextWriterWriteElement(writer, name, xml(text.c_str())), "write a cell");
    }
    if (!written) {
      return written;
    }
  }
  if (auto ended = Writer::check(xmlTextWriterEndElement(writer), "end a RECORD"); !ended) {
    return ended;
  }
  return m_writer->take(out);
}

Core::Status XmlExtractor::write_tail(const std::vector<ExportColumn>&, OutputSink& sink) {
  xmlTextWriterPtr writer = m_writer->get();
  std::string tail;
  Core::Status status = Writer::check(xmlTextWriterEndElement(writer), "end RECORDS");
  if (status) {
    status = Writer::check(xmlTextWriterEndDocument(writer), "end the document");
  }
  if (status) {
    status = m_writer->take(tail);
  }
  m_writer.reset();
  if (!status) {
    return status;
  }
  return sink.write(tail);
}

// --- Reading ---

// The records of a document, read with libxml2's pull reader by element
// depth. Serves loads and imports alike.
class XmlRecords final : public RecordSource {
 public:
  // Reads `text`, which the reader keeps.
  static Core::Result<std::unique_ptr<XmlRecords>> of_text(std::string text) {
    auto records = std::unique_ptr<XmlRecords>(new XmlRecords(std::move(text)));
    records->m_reader = xmlReaderForMemory(records->m_text.data(), static_cast<int>(records->m_text.size()),
                                           nullptr, nullptr, 0);
    return opened(std::move(records));
  }
  static Core::Result<std::unique_ptr<XmlRecords>> of_file(const std::string& filename) {
    auto records = std::unique_ptr<XmlRecords>(new XmlRecords({}));
    records->m_reader = xmlReaderForFile(filename.c_str(), nullptr, 0);
    return opened(std::move(records));
  }

  ~XmlRecords() override {
    if (m_reader != nullptr) {
      xmlFreeTextReader(m_reader);
    }
  }
  XmlRecords(const XmlRecords&) = delete;
  XmlRecords& operator=(const XmlRecords&) = delete;

  // Moves to the first RECORDS element; false when the document has none.
  Core::Result<bool> find_records() {
    for (;;) {
      const int read = advance();
      if (read < 0) {
        return Core::fail(parse_error());
      }
      if (read == 0) {
        return false;
      }
      if (xmlTextReaderNodeType(m_reader) == XML_READER_TYPE_ELEMENT &&
          std::string_view(text_of(xmlTextReaderConstName(m_reader))) == "RECORDS") {
        m_depth = xmlTextReaderDepth(m_reader);
        m_done = xmlTextReaderIsEmptyElement(m_reader) == 1;
        m_marks_nulls = declares_schema_instance();
        return true;
      }
    }
  }

  Core::Result<Read> next() override {
    while (!m_done) {
      const int read = advance();
      if (read <= 0) {
        return Core::fail(parse_error());
      }
      const int depth = xmlTextReaderDepth(m_reader);
      if (depth <= m_depth) {
        m_done = true;  // the end of RECORDS
        break;
      }
      if (xmlTextReaderNodeType(m_reader) != XML_READER_TYPE_ELEMENT || depth != m_depth + 1) {
        continue;  // white space, comments, text between the records
      }
      ++m_counter;
      if (std::string_view(text_of(xmlTextReaderConstName(m_reader))) != "RECORD") {
        if (auto skipped = skip(); !skipped) {
          return Core::fail(skipped.error());
        }
        continue;
      }
      if (auto record = read_record(); !record) {
        return Core::fail(record.error());
      }
      return Read::Record;
    }
    return Read::End;
  }

  const Names& names() const override { return m_names; }
  const Names& values() const override { return m_values; }
  const Blanks* texts() const override { return m_marks_nulls ? &m_texts : nullptr; }
  std::int64_t line() const override { return m_line; }
  const std::string& refusal() const override { return m_refusal; }
  std::int64_t counter() const override { return m_counter; }
  std::uint64_t consumed() const override {
    const long consumed = xmlTextReaderByteConsumed(m_reader);
    return consumed > 0 ? static_cast<std::uint64_t>(consumed) : 0;
  }
  void log_failure(const std::string& message) const override {
    LoggingService::error(nullptr, "import row failed: %s", message.c_str());
  }

 private:
  explicit XmlRecords(std::string text) : m_text(std::move(text)) {}

  static Core::Result<std::unique_ptr<XmlRecords>> opened(std::unique_ptr<XmlRecords> records) {
    if (records->m_reader == nullptr) {
      return Core::fail("default", -1, Core::_("load xml document failed."));
    }
    xmlTextReaderSetStructuredErrorHandler(records->m_reader, &XmlRecords::on_error, records.get());
    return records;
  }

  static void on_error(void* self, xmlErrorPtr error) {
    auto* records = static_cast<XmlRecords*>(self);
    if (error != nullptr && error->level >= XML_ERR_ERROR && records->m_error.empty()) {
      std::string message = error->message != nullptr ? error->message : "";
      while (!message.empty() && message.back() == '\n') {
        message.pop_back();
      }
      records->m_error = std::string(Core::_("line ")) + std::to_string(error->line) + ": " + message;
    }
  }

  Core::Error parse_error() const {
    return Core::Error{"XML", -1,
                       m_error.empty() ? std::string(Core::_("the XML document ends inside RECORDS")) : m_error};
  }

  // The next node: the one a skip already moved to, or the following one.
  int advance() {
    if (m_pending) {
      m_pending = false;
      return 1;
    }
    return xmlTextReaderRead(m_reader);
  }

  // Past the current element and all it holds, onto what follows it.
  Core::Status skip() {
    const int moved = xmlTextReaderNext(m_reader);
    if (moved < 0) {
      return Core::fail(parse_error());
    }
    m_pending = moved == 1;
    return {};
  }

  bool declares_schema_instance() {
    bool declared = false;
    for (int more = xmlTextReaderMoveToFirstAttribute(m_reader); more == 1;
         more = xmlTextReaderMoveToNextAttribute(m_reader)) {
      declared = declared || (xmlTextReaderIsNamespaceDecl(m_reader) == 1 &&
                              std::string_view(text_of(xmlTextReaderConstValue(m_reader))) == kSchemaInstance);
    }
    xmlTextReaderMoveToElement(m_reader);
    return declared;
  }

  Core::Status read_record() {
    m_names.clear();
    m_values.clear();
    m_texts.clear();
    m_line = xmlTextReaderGetParserLineNumber(m_reader);
    if (xmlTextReaderIsEmptyElement(m_reader) == 1) {
      // Attribute storage: the attributes, in document order.
      for (int more = xmlTextReaderMoveToFirstAttribute(m_reader); more == 1;
           more = xmlTextReaderMoveToNextAttribute(m_reader)) {
        if (xmlTextReaderIsNamespaceDecl(m_reader) == 1 ||
            std::string_view(text_of(xmlTextReaderConstNamespaceUri(m_reader))) == kSchemaInstance) {
          continue;
        }
        m_names.push_back(XmlExtractor::decode_name(text_of(xmlTextReaderConstName(m_reader))));
        m_values.emplace_back(text_of(xmlTextReaderConstValue(m_reader)));
        m_texts.push_back(true);
      }
      xmlTextReaderMoveToElement(m_reader);
      return {};
    }
    const int record_depth = xmlTextReaderDepth(m_reader);
    for (;;) {
      const int read = advance();
      if (read <= 0) {
        return Core::fail(parse_error());
      }
      const int depth = xmlTextReaderDepth(m_reader);
      if (depth <= record_depth) {
        return {};  // the end of RECORD
      }
      if (xmlTextReaderNodeType(m_reader) != XML_READER_TYPE_ELEMENT || depth != record_depth + 1) {
        continue;
      }
      m_names.push_back(XmlExtractor::decode_name(text_of(xmlTextReaderConstName(m_reader))));
      bool null = false;
      if (m_marks_nulls) {
        xmlChar* nil = xmlTextReaderGetAttributeNs(m_reader, xml("nil"), xml(kSchemaInstance));
        null = nil != nullptr && (std::string_view(text_of(nil)) == "true" || std::string_view(text_of(nil)) == "1");
        xmlFree(nil);
      }
      std::string value;
      if (xmlTextReaderIsEmptyElement(m_reader) != 1) {
        xmlChar* text = xmlTextReaderReadString(m_reader);
        value = text_of(text);
        xmlFree(text);
      }
      m_values.push_back(std::move(value));
      m_texts.push_back(!null);
      if (auto skipped = skip(); !skipped) {
        return skipped;
      }
    }
  }

  std::string m_text;  // what a text reader reads
  xmlTextReaderPtr m_reader = nullptr;
  std::string m_error;  // the parser's first error
  bool m_pending = false;
  bool m_done = false;
  bool m_marks_nulls = false;
  int m_depth = 0;  // of RECORDS
  std::int64_t m_counter = 0;
  std::int64_t m_line = 0;
  Names m_names;
  Names m_values;
  Blanks m_texts;
  std::string m_refusal;
};

Core::Result<XmlExtractor::TableModelPtr> XmlExtractor::load(XmlRecords& records, int max_rows) {
  auto found = records.find_records();
  if (!found) {
    return Core::fail(found.error());
  }
  if (!*found) {
    return TableModelPtr();  // no RECORDS: no model, and no error
  }
  auto model = TableModel::create();
  bool first = true;
  for (;;) {
    auto next = records.next();
    if (!next) {
      return Core::fail(next.error());
    }
    if (*next == RecordSource::Read::End) {
      return model;
    }
    const Names& values = records.values();
    if (first) {
      first = false;
      for (const auto& name : records.names()) {
        model->get_columns().push_back(Providers::Contracts::ColumnModel::full(name, DataType::String));
      }
    }
    // By position under the first record's names; values beyond them are left out.
    const std::size_t width = model->get_columns().size();
    auto row = Providers::Contracts::RowModel::create();
    auto& cells = row->get_values();
    cells.reserve(width);
    for (std::size_t i = 0; i < width; ++i) {
      cells.push_back(ValueString::create(i < values.size() ? values[i] : std::string()));
    }
    model->get_rows().push_back(std::move(row));
    if (max_rows > 0 && model->get_rows().size() >= static_cast<std::size_t>(max_rows)) {
      return model;
    }
  }
}

Core::Result<XmlExtractor::TableModelPtr> XmlExtractor::load_from_text(const std::string& textbuffer) {
  auto records = XmlRecords::of_text(textbuffer);
  if (!records) {
    return Core::fail(records.error());
  }
  return load(**records, 0);
}

Core::Result<XmlExtractor::TableModelPtr> XmlExtractor::load_from_file(int max_rows) {
  auto filename = input_file();
  if (!filename) {
    return Core::fail(filename.error());
  }
  auto records = XmlRecords::of_file(*filename);
  if (!records) {
    return Core::fail(records.error());
  }
  return load(**records, max_rows);
}

void XmlExtractor::start_import(Core::Result<std::unique_ptr<XmlRecords>> records, ConnectionPtr connection,
                                MetaTablePtr table, Contracts::Data::CountCompletion done) {
  TOLVANE_RETURN_IF_FAIL(connection != nullptr, "connection != NULL");
  TOLVANE_RETURN_IF_FAIL(table != nullptr, "table != NULL");
  if (!records) {
    complete_later(std::move(done), Core::fail(records.error()));
    return;
  }
  auto found = (*records)->find_records();
  if (!found || !*found) {
    complete_later(std::move(done), found ? Core::Result<std::int64_t>(0) : Core::fail(found.error()));
    return;
  }
  std::make_shared<RecordImport>(self<XmlExtractor>(), std::move(*records), std::move(connection), std::move(table),
                                 RecordImport::Count::Processed, std::move(done))
      ->start();
}

void XmlExtractor::import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback,
                                    Contracts::Data::CountCompletion done) {
  auto filename = input_file();
  if (!filename) {
    complete_later(std::move(done), Core::fail(filename.error()));
    return;
  }
  start_import(XmlRecords::of_file(*filename), std::move(connection), std::move(table), std::move(done));
}

void XmlExtractor::import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                                    ProgressCallback, Contracts::Data::CountCompletion done) {
  start_import(XmlRecords::of_text(std::move(textbuffer)), std::move(connection), std::move(table), std::move(done));
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
