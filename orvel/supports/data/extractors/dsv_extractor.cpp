#include "orvel/supports/data/extractors/dsv_extractor.hpp"

#include <cstdlib>

#include "orvel/helpers/database_helper.hpp"
#include "orvel/model/meta_table.hpp"
#include "orvel/supports/data/extractors/record_import.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Providers::Contracts::DataType;
using Providers::Contracts::TableModel;
using Providers::Contracts::ValueString;

namespace {

void replace_all(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) {
    return;
  }
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Row prefix and suffix come off a data record's first and last field.
void remove_surround(DsvRecord& record, const std::string& prefix, const std::string& suffix) {
  if (record.fields.empty()) {
    return;
  }
  if (!prefix.empty() && record.fields.front().starts_with(prefix)) {
    record.fields.front().erase(0, prefix.size());
  }
  if (!suffix.empty() && record.fields.back().ends_with(suffix)) {
    record.fields.back().erase(record.fields.back().size() - suffix.size());
  }
}

}  // namespace

const Core::TypeInfo& DsvExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsDsvExtractor", &BaseExtractor::static_type(),
                                   {&Contracts::Data::IImporter::static_type()}, nullptr, {});
  return info;
}

std::shared_ptr<DsvExtractor> DsvExtractor::create(std::optional<std::string_view> file_extension) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_extension.has_value(), "file_extension != NULL", nullptr);
  return std::make_shared<DsvExtractor>(std::string(*file_extension));
}

Core::Result<DsvDialect> DsvExtractor::dialect() const {
  DsvDialect dialect;
  dialect.column_delimiter = option("DELIMITER_COLUMN", ",");
  dialect.row_delimiter = option("DELIMITER_ROWNEW", "\n");
  if (auto quotation = dialect.set_quotation(option("QUOTATION_LIST")); !quotation) {
    return Core::fail(quotation.error());
  }
  if (const std::string limit = option("MAX_RECORD_BYTES"); !limit.empty()) {
    dialect.max_record_bytes = std::strtoull(limit.c_str(), nullptr, 10);
  }
  return dialect;
}

// --- Export ---

Core::Status DsvExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) {
  auto dialect = this->dialect();
  if (!dialect) {
    return Core::fail(dialect.error());
  }
  m_writer = Writer{};
  m_writer.dialect = std::move(*dialect);
  m_writer.prefix = option("ROW_PREFIX");
  m_writer.suffix = option("ROW_SUFFIX");
  m_writer.null_value = option("NULL_VALUE");
  const std::string time = option("QUOTATION_TIME", "ifneed");
  m_writer.quote_always = time == "always";
  m_writer.quote_empty = option_is_true("QUOTE_EMPTY", false);
  const DsvDialect& d = m_writer.dialect;
  for (const std::string* token : {&d.column_delimiter, &d.quote_left, &d.quote_right, &d.row_delimiter}) {
    for (char c : *token) {
      m_writer.special[static_cast<unsigned char>(c)] = true;
    }
  }
  // A line break in a field would end the row for readers that take LF and CRLF alike.
  m_writer.special[static_cast<unsigned char>('\n')] = true;
  m_writer.special[static_cast<unsigned char>('\r')] = true;
  m_writer.doubled_escapes = d.escape_left == d.quote_left + d.quote_left && d.escape_right == d.quote_right + d.quote_right;
  if (!option_is_true("HAS_HEADER", true)) {
    return {};
  }
  std::string head = m_writer.prefix;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) {
      head += d.column_delimiter;
    }
    if (!append_field(head, columns[i].name, time != "ifneed")) {
      return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_DATA,
                        std::string(Core::_("the column name cannot be written in these quotes so that it reads back: ")) +
                            columns[i].name);
    }
  }
  head += m_writer.suffix;
  head += d.row_delimiter;
  return sink.write(head);
}

bool DsvExtractor::append_field(std::string& out, std::string_view text, bool quote_always) const {
  const DsvDialect& d = m_writer.dialect;
  // Blank texts import as NULL unless quoted.
  bool quote = quote_always || (m_writer.quote_empty && text.find_first_not_of(" \t\n\r\f\v") == std::string_view::npos);
  // Any byte of a delimiter or quote: a text that holds only part of a
  // multi-byte delimiter can still run into the next one ("|" before "||").
  for (std::size_t i = 0; !quote && i < text.size(); ++i) {
    quote = m_writer.special[static_cast<unsigned char>(text[i])];
  }
  if (!quote) {
    out += text;
    return true;
  }
  std::string escaped(text);
  replace_all(escaped, d.quote_left, d.escape_left);
  if (d.quote_left != d.quote_right) {
    replace_all(escaped, d.quote_right, d.escape_right);
  }
  out += d.quote_left;
  out += escaped;
  out += d.quote_right;
  return m_writer.doubled_escapes ||
         (reads_back(escaped, text, d.column_delimiter) && reads_back(escaped, text, d.row_delimiter));
}

bool DsvExtractor::reads_back(std::string_view inside, std::string_view text, std::string_view next) const {
  // The reader's rules inside quotes: escapes first, then the closing quote.
  const DsvDialect& d = m_writer.dialect;
  const std::string written = std::string(inside) + d.quote_right + std::string(next);
  const std::string_view all(written);
  std::string read;
  for (std::size_t at = 0; at < all.size();) {
    if (all.substr(at).starts_with(d.escape_left)) {
      read += d.quote_left;
      at += d.escape_left.size();
    } else if (all.substr(at).starts_with(d.escape_right)) {
      read += d.quote_right;
      at += d.escape_right.size();
    } else if (all.substr(at).starts_with(d.quote_right)) {
      return at == inside.size() && read == text;
    } else {
      read += all[at++];
    }
  }
  return false;
}

void DsvExtractor::append_row(std::string& out, const std::vector<ExportColumn>& columns,
                              const RowSource::Values& row) {
  ++m_writer.rows;
  out += m_writer.prefix;
  for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
    if (i > 0) {
      out += m_writer.dialect.column_delimiter;
    }
    const auto& value = row[i];
    if (value == nullptr || value->get_is_null()) {
      out += m_writer.null_value;
    } else if (!append_field(out, Helpers::DatabaseHelper::exact_text_view(*value, m_writer.scratch),
                             m_writer.quote_always) &&
               m_writer.unwritable.empty()) {
      m_writer.unwritable = "row " + std::to_string(m_writer.rows) + ", column " + columns[i].name;
    }
  }
  out += m_writer.suffix;
  out += m_writer.dialect.row_delimiter;
}

Core::Status DsvExtractor::write_tail(const std::vector<ExportColumn>&, OutputSink&) {
  if (!m_writer.unwritable.empty()) {
    // The document would read back other cells (two fields run together, say):
    // a file is then left as it was.
    return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_DATA,
                      std::string(Core::_("a cell cannot be written in these quotes so that it reads back: ")) +
                          m_writer.unwritable);
  }
  return {};
}

// --- Reading ---

Core::Result<Core::GRef<GInputStream>> DsvExtractor::open_input() const {
  auto filename = input_file();
  if (!filename) {
    return Core::fail(filename.error());
  }
  auto file = Core::GRef<GFile>::adopt(g_file_new_for_path(filename->c_str()));
  GError* raw = nullptr;
  auto stream = Core::GRef<GInputStream>::adopt(G_INPUT_STREAM(g_file_read(file.get(), nullptr, &raw)));
  if (!stream) {
    return Core::fail(Core::Error::take_gerror(raw));
  }
  const std::string encoding = option("ENCODING", "UTF-8");
  if (encoding == "UTF-8") {
    return stream;
  }
  auto converter = Core::GRef<GCharsetConverter>::adopt(g_charset_converter_new("UTF-8", encoding.c_str(), &raw));
  if (!converter) {
    return Core::fail(Core::Error::take_gerror(raw));
  }
  return Core::GRef<GInputStream>::adopt(
      g_converter_input_stream_new(stream.get(), G_CONVERTER(converter.get())));
}

Core::Result<DsvExtractor::TableModelPtr> DsvExtractor::load(DsvReader& reader, int max_rows) {
  const bool has_header = option_is_true("HAS_HEADER", true);
  const std::string prefix = option("ROW_PREFIX");
  const std::string suffix = option("ROW_SUFFIX");
  auto model = TableModel::create();
  auto& rows = model->get_rows();
  std::size_t width = 0;
  bool first = true;
  DsvRecord record;
  for (;;) {
    auto more = reader.next(record);
    if (!more) {
      return Core::fail(more.error());
    }
    if (!*more) {
      return model;
    }
    if (first) {
      first = false;
      width = record.fields.size();
      for (std::size_t i = 0; i < width; ++i) {
        const std::string name = has_header ? record.fields[i] : "C" + std::to_string(i);
        model->get_columns().push_back(Providers::Contracts::ColumnModel::full(name, DataType::String));
      }
      if (has_header) {
        continue;
      }
    }
    if (record.fields.size() < width) {
      continue;  // short records (blank lines among them) are dropped
    }
    remove_surround(record, prefix, suffix);
    auto row = Providers::Contracts::RowModel::create();
    auto& values = row->get_values();
    values.reserve(width);
    for (std::size_t i = 0; i < width; ++i) {
      values.push_back(ValueString::create(std::move(record.fields[i])));
    }
    rows.push_back(std::move(row));
    if (max_rows > 0 && rows.size() >= static_cast<std::size_t>(max_rows)) {
      return model;
    }
  }
}

Core::Result<DsvExtractor::TableModelPtr> DsvExtractor::load_from_text(const std::string& textbuffer) {
  auto dialect = this->dialect();
  if (!dialect) {
    return Core::fail(dialect.error());
  }
  DsvReader reader(std::string_view(textbuffer), std::move(*dialect));
  return load(reader, 0);
}

Core::Result<DsvExtractor::TableModelPtr> DsvExtractor::load_from_file(int max_rows) {
  auto dialect = this->dialect();
  if (!dialect) {
    return Core::fail(dialect.error());
  }
  auto input = open_input();
  if (!input) {
    return Core::fail(input.error());
  }
  DsvReader reader(input->get(), std::move(*dialect));
  return load(reader, max_rows);
}

// --- Import ---

namespace {

// The data records of delimited text for an import: the header gives the
// field names (unless "COLUMNS" does), blank lines are skipped, a record
// shorter than the header is refused, and without header short records are
// padded with blanks (NULL).
class DsvRecords final : public RecordSource {
 public:
  DsvRecords(const DsvExtractor& owner, DsvDialect dialect, Core::GRef<GInputStream> input, std::string text)
      : m_text(std::move(text)),
        m_input(std::move(input)),
        m_reader(m_input ? std::make_unique<DsvReader>(m_input.get(), std::move(dialect))
                         : std::make_unique<DsvReader>(std::string_view(m_text), std::move(dialect))),
        m_has_header(owner.option_is_true("HAS_HEADER", true)),
        m_keep_blank_texts(owner.option_is_true("QUOTE_EMPTY", false)),
        m_prefix(owner.option("ROW_PREFIX")),
        m_suffix(owner.option("ROW_SUFFIX")),
        m_names(split_text(owner.option("COLUMNS"), ',')) {
    if (m_names.size() == 1 && m_names.front().empty()) {
      m_names.clear();
    }
  }

  Core::Result<Read> next() override {
    auto more = m_reader->next(m_record);
    if (!more) {
      return Core::fail(more.error());
    }
    if (!*more) {
      return Read::End;
    }
    ++m_counter;
    if (m_first) {
      m_first = false;
      if (m_has_header) {
        m_width = m_record.fields.size();
        if (m_names.empty()) {
          m_names = m_record.fields;
        }
        return Read::Skipped;
      }
      if (m_names.empty()) {
        for (std::size_t i = 0; i < m_record.fields.size(); ++i) {
          m_names.push_back("C" + std::to_string(i));
        }
      }
    }
    if (m_record.is_blank() && (m_has_header ? m_width : m_names.size()) > 1) {
      return Read::Skipped;
    }
    if (m_has_header && m_record.fields.size() < m_width) {
      m_refusal = std::string(Core::_("the record has ")) + std::to_string(m_record.fields.size()) +
                  Core::_(" fields where the header has ") + std::to_string(m_width);
      return Read::Refused;
    }
    remove_surround(m_record, m_prefix, m_suffix);
    if (m_record.fields.size() < m_names.size()) {
      m_record.fields.resize(m_names.size());
      m_record.quoted.resize(m_names.size(), false);
    }
    return Read::Record;
  }

  const Names& names() const override { return m_names; }
  const Names& values() const override { return m_record.fields; }
  const Blanks* texts() const override { return m_keep_blank_texts ? &m_record.quoted : nullptr; }
  std::int64_t line() const override { return m_record.line; }
  const std::string& refusal() const override { return m_refusal; }
  std::int64_t counter() const override { return m_counter; }
  std::uint64_t consumed() const override { return m_reader->consumed(); }

 private:
  std::string m_text;  // the text a text import reads; m_reader points into it
  Core::GRef<GInputStream> m_input;
  std::unique_ptr<DsvReader> m_reader;
  const bool m_has_header;
  const bool m_keep_blank_texts;
  const std::string m_prefix;
  const std::string m_suffix;
  Names m_names;
  DsvRecord m_record;
  bool m_first = true;
  std::size_t m_width = 0;
  std::int64_t m_counter = 0;  // records read, the header among them
  std::string m_refusal;
};

}  // namespace

void DsvExtractor::start_import(Core::GRef<GInputStream> input, std::string text, ConnectionPtr connection,
                                MetaTablePtr table, Contracts::Data::CountCompletion done) {
  TOLVANE_RETURN_IF_FAIL(connection != nullptr, "connection != NULL");
  TOLVANE_RETURN_IF_FAIL(table != nullptr, "table != NULL");
  auto dialect = this->dialect();
  if (!dialect) {
    complete_later(std::move(done), Core::fail(dialect.error()));
    return;
  }
  auto records = std::make_unique<DsvRecords>(*this, std::move(*dialect), std::move(input), std::move(text));
  std::make_shared<RecordImport>(self<DsvExtractor>(), std::move(records), std::move(connection), std::move(table),
                                 RecordImport::Count::Imported, std::move(done))
      ->start();
}

void DsvExtractor::import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback,
                                    Contracts::Data::CountCompletion done) {
  auto input = open_input();
  if (!input) {
    complete_later(std::move(done), Core::fail(input.error()));
    return;
  }
  start_import(std::move(*input), {}, std::move(connection), std::move(table), std::move(done));
}

void DsvExtractor::import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                                    ProgressCallback, Contracts::Data::CountCompletion done) {
  start_import({}, std::move(textbuffer), std::move(connection), std::move(table), std::move(done));
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
