#include "orvel/supports/data/extractors/base_extractor.hpp"

#include "orvel/foundation/logging_service.hpp"
#include "orvel/model/meta_table.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/main_context.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Helpers::DatabaseHelper;
using Providers::Contracts::DataType;
using Providers::Contracts::ValueObject;
using Providers::Contracts::ValueObjectPtr;

RowSource::~RowSource() = default;

namespace {

class ModelSource final : public RowSource {
 public:
  explicit ModelSource(const Providers::Contracts::TableModel& model) : m_model(model) {
    for (const auto& column : model.get_columns()) {
      m_columns.push_back({column->get_name(), column->get_data_type()});
    }
  }
  const std::vector<ExportColumn>& columns() const override { return m_columns; }
  Core::Result<const Values*> next() override {
    if (m_next >= m_model.get_rows().size()) {
      return nullptr;
    }
    return &m_model.get_rows()[m_next++]->get_values();
  }
  std::uint32_t total() const override { return static_cast<std::uint32_t>(m_model.get_rows().size()); }

 private:
  const Providers::Contracts::TableModel& m_model;
  std::vector<ExportColumn> m_columns;
  std::size_t m_next = 0;
};

class ReaderSource final : public RowSource {
 public:
  ReaderSource(Providers::Contracts::IDataReader& reader, bool on_first_row)
      : m_reader(reader), m_on_row(on_first_row) {}
  Core::Status describe() {
    const int count = m_reader.get_field_count();
    for (int i = 0; i < count; ++i) {
      const auto column = static_cast<Providers::Contracts::IDataReader::Column>(i);
      auto name = m_reader.get_name(column);
      if (!name) {
        return Core::fail(name.error());
      }
      auto kind = m_reader.get_data_type(column);
      m_columns.push_back({*name, kind ? *kind : DataType::Unknown});
    }
    m_values.resize(m_columns.size());
    return {};
  }
  const std::vector<ExportColumn>& columns() const override { return m_columns; }
  Core::Result<const Values*> next() override {
    if (!m_on_row) {
      auto more = m_reader.read();
      if (!more) {
        return Core::fail(more.error());
      }
      if (!*more) {
        return nullptr;
      }
    }
    m_on_row = false;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
      auto value = m_reader.get_value(static_cast<Providers::Contracts::IDataReader::Column>(i));
      if (!value) {
        return Core::fail(value.error());
      }
      m_values[i] = std::move(*value);
    }
    return &m_values;
  }
  std::uint32_t total() const override { return 0; }

 private:
  Providers::Contracts::IDataReader& m_reader;
  bool m_on_row;  // the reader stands on a row not taken yet
  std::vector<ExportColumn> m_columns;
  Values m_values;
};

// The connection's statement text for the table, qualified with the table's
// schema when the dialect left it out: an unqualified name reaches a temp or
// main table of the same name before the attached one.
std::string qualified(Contracts::Database::IStatement& statement, std::string text, std::string_view verb,
                      const MetaModel::MetaTable& table) {
  const std::string& schema = table.get_schema();
  if (schema.empty()) {
    return text;
  }
  const std::string bare = std::string(verb) + statement.quote_identifier(table.get_name(), schema);
  const std::string full = std::string(verb) + Database::quoted(schema, '"') + "." +
                           Database::quoted(table.get_name(), '"');
  if (bare != full && text.starts_with(bare)) {
    text.replace(0, bare.size(), full);
  }
  return text;
}

Names column_names(const Names& names) {
  Names out;
  out.reserve(names.size());
  for (const std::string& name : names) {
    out.push_back(DatabaseHelper::format_column_name(name));
  }
  return out;
}

}  // namespace

std::unique_ptr<RowSource> RowSource::of_model(const Providers::Contracts::TableModel& model) {
  return std::make_unique<ModelSource>(model);
}

Core::Result<std::unique_ptr<RowSource>> RowSource::of_reader(Providers::Contracts::IDataReader& reader,
                                                              bool on_first_row) {
  auto source = std::make_unique<ReaderSource>(reader, on_first_row);
  if (auto described = source->describe(); !described) {
    return Core::fail(described.error());
  }
  return std::unique_ptr<RowSource>(std::move(source));
}

const Core::TypeInfo& BaseExtractor::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelSupportsDataExtractorsBaseExtractor", &Core::Object::static_type(),
      {&Contracts::Data::IExporter::static_type()}, nullptr,
      {Core::property("file-extention", &BaseExtractor::get_file_extention),
       Core::property("continue-on-error", &BaseExtractor::get_continue_on_error,
                      &BaseExtractor::set_continue_on_error)
           .with_default(true)});
  return info;
}

BaseExtractor::BaseExtractor(std::string file_ext) : m_file_extention(std::move(file_ext)) {}

BaseExtractor::~BaseExtractor() = default;

std::shared_ptr<BaseExtractor> BaseExtractor::create(std::optional<std::string_view> file_ext) {
  TOLVANE_RETURN_VAL_IF_FAIL(file_ext.has_value(), "file_ext != NULL", nullptr);
  return std::make_shared<BaseExtractor>(std::string(*file_ext));
}

void BaseExtractor::set_continue_on_error(bool value) { assign(m_continue_on_error, value, "continue-on-error"); }

std::string BaseExtractor::option(std::string_view key, std::string_view fallback) const {
  auto found = m_options.find(key);
  return found != m_options.end() ? found->second : std::string(fallback);
}

bool BaseExtractor::option_is_true(std::string_view key, bool fallback) const {
  auto found = m_options.find(key);
  return found != m_options.end() ? found->second == "true" : fallback;
}

Core::Result<std::string> BaseExtractor::input_file() const {
  std::string filename = option("FILENAME");
  if (filename.empty()) {
    return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_FILENAME,
                      Core::_("no file to read: the FILENAME option is empty"));
  }
  return filename;
}

// --- Export ---

Core::Status BaseExtractor::write_head(const std::vector<ExportColumn>&, OutputSink&) { return {}; }
void BaseExtractor::append_row(std::string&, const std::vector<ExportColumn>&, const RowSource::Values&) {}
Core::Status BaseExtractor::try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                           const RowSource::Values& row) {
  append_row(out, columns, row);
  return {};
}
Core::Status BaseExtractor::write_tail(const std::vector<ExportColumn>&, OutputSink&) { return {}; }

Core::Result<std::int64_t> BaseExtractor::export_rows(RowSource& source, OutputSink& sink,
                                                      const ProgressCallback& progress) {
  if (!has_rows_format()) {
    return 0;
  }
  const auto& columns = source.columns();
  if (auto head = write_head(columns, sink); !head) {
    return Core::fail(head.error());
  }
  std::string line;
  std::int64_t count = 0;
  for (;;) {
    auto row = source.next();
    if (!row) {
      return Core::fail(row.error());
    }
    if (*row == nullptr) {
      break;
    }
    line.clear();
    if (auto appended = try_append_row(line, columns, **row); !appended) {
      return Core::fail(appended.error());
    }
    if (auto written = sink.write(line); !written) {
      return Core::fail(written.error());
    }
    ++count;
    if (progress) {
      progress(source.total(), static_cast<std::uint32_t>(count), progress_text(line));
    }
  }
  if (auto tail = write_tail(columns, sink); !tail) {
    return Core::fail(tail.error());
  }
  // A text always gets the whole document; a file without rows is only
  // written by formats whose empty document says something.
  if (count == 0 && !writes_empty_document()) {
    return 0;
  }
  if (auto finished = sink.finish(); !finished) {
    return Core::fail(finished.error());
  }
  return count;
}

Core::Result<std::int64_t> BaseExtractor::export_to_text(const TableModelPtr& model, std::string* buffer,
                                                         const ProgressCallback& progress) {
  TOLVANE_RETURN_VAL_IF_FAIL(model != nullptr, "model != NULL", 0);
  TOLVANE_RETURN_VAL_IF_FAIL(buffer != nullptr, "*buffer != NULL", 0);
  std::string text;
  TextSink sink(text);
  auto source = RowSource::of_model(*model);
  auto count = export_rows(*source, sink, progress);
  if (count) {
    *buffer = std::move(text);
  }
  return count;
}

Core::Result<std::int64_t> BaseExtractor::export_to_file(const TableModelPtr& model, const std::string& filename,
                                                         const ProgressCallback& progress) {
  TOLVANE_RETURN_VAL_IF_FAIL(model != nullptr, "model != NULL", 0);
  Foundation::LoggingService::info(nullptr, "export to file: %s", filename.c_str());
  if (!has_rows_format() || (model->get_rows().empty() && !writes_empty_document())) {
    return 0;  // no file is created or changed
  }
  auto sink = FileSink::open(filename);
  if (!sink) {
    return Core::fail(sink.error());
  }
  auto source = RowSource::of_model(*model);
  return export_rows(*source, **sink, progress);
}

Core::Result<std::int64_t> BaseExtractor::export_reader_to_file(Providers::Contracts::IDataReader& reader,
                                                                const std::string& filename,
                                                                const ProgressCallback& progress,
                                                                bool on_first_row) {
  Foundation::LoggingService::info(nullptr, "export to file: %s", filename.c_str());
  auto source = RowSource::of_reader(reader, on_first_row);
  if (!source) {
    return Core::fail(source.error());
  }
  auto sink = FileSink::open(filename);
  if (!sink) {
    return Core::fail(sink.error());
  }
  return export_rows(**source, **sink, progress);
}

// --- Literals ---

std::string BaseExtractor::format_column_value(DataType kind, const ValueObject* data_value) {
  return DatabaseHelper::format_sql_value(kind, data_value);
}

std::string BaseExtractor::format_column_text(DataType kind, std::string_view data_value) {
  return DatabaseHelper::classify_text(kind, data_value).literal();
}

std::string BaseExtractor::value_text(const ValueObject& value) { return DatabaseHelper::exact_text(value); }

// --- Statements ---

std::vector<BaseExtractor::Mapping> BaseExtractor::map_sources(const MetaTable& table, const Names& names) {
  std::vector<Mapping> mappings;
  for (const auto& column : table.get_columns()) {
    const std::string* source = column->get_data_as<std::string>("SOURCE");
    if (source == nullptr || source->empty()) {
      continue;
    }
    for (std::size_t j = 0; j < names.size(); ++j) {
      if (names[j] == *source) {
        mappings.push_back({column->get_name(), j, column->get_data_type(), column->get_is_primary_key()});
        break;
      }
    }
  }
  return mappings;
}

Helpers::SqlCell BaseExtractor::cell_of(DataType kind, std::string_view text, bool kept_text) {
  Helpers::SqlCell cell = DatabaseHelper::classify_text(kind, text);
  if (cell.kind == Helpers::SqlCell::Kind::Null && kept_text) {
    // Quoted, so present: an empty value of its kind rather than NULL.
    const bool bytes = (kind == DataType::Blob || kind == DataType::Binary) && text.empty();
    cell = {bytes ? Helpers::SqlCell::Kind::Blob : Helpers::SqlCell::Kind::Text, std::string(text)};
  }
  return cell;
}

BaseExtractor::Prepared BaseExtractor::prepare_values(const MetaTable& table, const Names& names,
                                                      const Names& values, const Blanks* texts) {
  Prepared prepared;
  for (const Mapping& mapping : map_sources(table, names)) {
    const std::size_t j = mapping.source;
    // A record shorter than its names reads as blank (NULL) in the missing places.
    const std::string_view text = j < values.size() ? std::string_view(values[j]) : std::string_view();
    std::string literal = cell_of(mapping.kind, text, texts != nullptr && j < texts->size() && (*texts)[j]).literal();
    if (mapping.key) {
      prepared.keys.push_back(mapping.column);
      prepared.key_literals.push_back(literal);
    }
    prepared.columns.push_back(mapping.column);
    prepared.literals.push_back(std::move(literal));
  }
  return prepared;
}

std::string BaseExtractor::build_insert_data_sql(Contracts::Database::IConnection& connection,
                                                 const MetaTable& table, const Names& names, const Names& values,
                                                 const Blanks* texts) const {
  const Prepared prepared = prepare_values(table, names, values, texts);
  auto statement = connection.statement();
  return qualified(*statement,
                   statement->build_sql_insert(table.get_schema(), table.get_name(), column_names(prepared.columns),
                                               prepared.literals),
                   "INSERT INTO ", table);
}

std::string BaseExtractor::build_keyed_sql(Contracts::Database::IConnection& connection, const MetaTable& table,
                                           const Names& names, const Names& values, const Blanks* texts,
                                           bool update) {
  const Prepared prepared = prepare_values(table, names, values, texts);
  if (prepared.keys.empty()) {
    return {};
  }
  auto statement = connection.statement();
  const std::string& schema = table.get_schema();
  const std::string& name = table.get_name();
  if (update) {
    return qualified(*statement,
                     statement->build_sql_update(schema, name, column_names(prepared.columns), prepared.literals,
                                                 column_names(prepared.keys), prepared.key_literals),
                     "UPDATE ", table);
  }
  return qualified(*statement,
                   statement->build_sql_delete(schema, name, column_names(prepared.keys), prepared.key_literals),
                   "DELETE FROM ", table);
}

std::string BaseExtractor::build_update_data_sql(Contracts::Database::IConnection& connection,
                                                 const MetaTable& table, const Names& names, const Names& values,
                                                 const Blanks* texts) const {
  return build_keyed_sql(connection, table, names, values, texts, true);
}

std::string BaseExtractor::build_delete_data_sql(Contracts::Database::IConnection& connection,
                                                 const MetaTable& table, const Names& names, const Names& values,
                                                 const Blanks* texts) const {
  return build_keyed_sql(connection, table, names, values, texts, false);
}

void BaseExtractor::complete_later(Contracts::Data::CountCompletion done, Core::Result<std::int64_t> result) {
  Core::invoke_idle(Core::thread_default_context().get(), G_PRIORITY_DEFAULT_IDLE,
                    [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); });
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
