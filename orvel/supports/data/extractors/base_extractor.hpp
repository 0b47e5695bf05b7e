#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/contracts/data/exporter.hpp"
#include "orvel/contracts/data/importer.hpp"
#include "orvel/contracts/database/connection.hpp"
#include "orvel/helpers/database_helper.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/supports/data/extractors/output_sink.hpp"
#include "tessin/contracts/data_reader.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::MetaModel {
class MetaTable;
}

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Contracts::Data::Options;
using Contracts::Data::ProgressCallback;
using Names = std::vector<std::string>;
using Blanks = std::vector<bool>;

// One column of an export: its name and the kind its values are shown as.
struct ExportColumn {
  std::string name;
  Providers::Contracts::DataType kind = Providers::Contracts::DataType::Unknown;
};

// Rows of an export, one at a time: the rows of a table model, or the rows a
// reader yields (then memory does not grow with the number of rows).
class ORVEL_API RowSource {
 public:
  using Values = std::vector<Providers::Contracts::ValueObjectPtr>;

  virtual ~RowSource();
  virtual const std::vector<ExportColumn>& columns() const = 0;
  // The next row's values (valid until the next call), null after the last.
  virtual Core::Result<const Values*> next() = 0;
  // The number of rows, 0 when not known in advance.
  virtual std::uint32_t total() const = 0;

  static std::unique_ptr<RowSource> of_model(const Providers::Contracts::TableModel& model);
  // Column kinds are the reader's data types; names its column names.
  // `on_first_row`: the reader already stands on its first row, as the
  // readers of `IConnection::execute_reader` do (they fail for a query
  // without rows); otherwise the first row is read first.
  static Core::Result<std::unique_ptr<RowSource>> of_reader(Providers::Contracts::IDataReader& reader,
                                                            bool on_first_row = true);
};

// A record that an import could not store.
struct ORVEL_API RowFailure {
  std::int64_t record = 0;  // 1-based number of the record among the records read
  std::int64_t line = 0;    // 1-based line of the file where the record starts (0 when not known)
  std::string message;
};

// What an import reports beside its completion, for hosts that show it.
struct ORVEL_API ImportObserver {
  // After each record: records read, imported, failed, and the bytes of
  // input consumed so far.
  std::function<void(std::int64_t read, std::int64_t imported, std::int64_t failed, std::uint64_t bytes)> progress;
  std::function<void(const RowFailure&)> failure;
};

// The common base of the extractors: options, file extension, the
// continue-on-error flag, the literals a record's values become, the
// statements that store a record, and the export driver that every format
// plugs into.
//
// A format writes its document through three hooks: `write_head` (before the
// first row), `append_row` (the text of one row, appended to a reused buffer)
// and `write_tail` (after the last row). The base runs them for a table model
// (`export_to_text`, `export_to_file`) and for a reader (`export_reader`), to
// a text, a file that is replaced atomically, or a stream, and calls the
// progress callback once per row with the row's text.
//
// Values in data files are written by their own class: a null is the
// format's null text, numbers as numbers, doubles at full precision, bytes as
// upper-case hexadecimal (`value_text`).
//
// One operation at a time; options are read afresh at the start of each.
class ORVEL_API BaseExtractor : public Core::Object, public Contracts::Data::IExporter {
  TOLVANE_OBJECT(BaseExtractor)

  using DataType = Providers::Contracts::DataType;
  using ValueObject = Providers::Contracts::ValueObject;
  using ConnectionPtr = std::shared_ptr<Contracts::Database::IConnection>;
  using MetaTable = MetaModel::MetaTable;

  explicit BaseExtractor(std::string file_ext);
  ~BaseExtractor() override;
  // Null (after a critical) without an extension.
  static std::shared_ptr<BaseExtractor> create(std::optional<std::string_view> file_ext);

  Core::Result<std::int64_t> export_to_file(const TableModelPtr& model, const std::string& filename,
                                            const ProgressCallback& progress) override;
  Core::Result<std::int64_t> export_to_text(const TableModelPtr& model, std::string* buffer,
                                            const ProgressCallback& progress) override;
  Options& get_options() override { return m_options; }
  const Options& get_options() const { return m_options; }
  const std::string& get_file_extention() const override { return m_file_extention; }
  bool get_continue_on_error() const override { return m_continue_on_error; }
  void set_continue_on_error(bool value) override;

  // Streams every row of `source` to `sink` and finishes the sink; gives the
  // number of rows. With no rows a format that writes no empty documents
  // leaves the sink unfinished (a file is not created or replaced), though a
  // text sink holds the whole empty document.
  Core::Result<std::int64_t> export_rows(RowSource& source, OutputSink& sink, const ProgressCallback& progress);
  // Every row of a reader into a file replaced atomically.
  Core::Result<std::int64_t> export_reader_to_file(Providers::Contracts::IDataReader& reader,
                                                   const std::string& filename, const ProgressCallback& progress,
                                                   bool on_first_row = true);

  // --- Literals ---

  // The literal of one value, chosen by the value's own class (see
  // DatabaseHelper::format_sql_value); `kind` matters only for texts.
  static std::string format_column_value(DataType kind, const ValueObject* data_value);
  // The literal of a text from a file for a column of `kind`: blank is NULL;
  // numeric kinds take complete numbers unquoted; byte kinds take hexadecimal
  // digits as bytes; everything else is quoted with its quotes doubled.
  static std::string format_column_text(DataType kind, std::string_view data_value);
  // The text a data file holds for a non-null value: integers and texts as
  // shown, doubles as shown when that reads back to the same number and in
  // their shortest exact form otherwise, bytes as upper-case hexadecimal.
  static std::string value_text(const ValueObject& value);

  // --- Statements for one record ---

  // The table's columns that a source field feeds (its "SOURCE" tag names a
  // field of `names`), in column order, with the literal of that field.
  struct Prepared {
    Names columns;   // column names as the table has them
    Names literals;  // their literals
    Names keys;      // the primary-key columns among them
    Names key_literals;
  };
  // A table column fed by a source field: the column's name and kind, whether
  // it is a primary-key column, and the field's position among the names.
  struct Mapping {
    std::string column;
    std::size_t source;
    DataType kind;
    bool key;
  };
  static std::vector<Mapping> map_sources(const MetaTable& table, const Names& names);
  // The judged form of a field for a column of `kind`; `kept_text` makes a
  // blank field an empty value of the kind instead of NULL.
  static Helpers::SqlCell cell_of(DataType kind, std::string_view text, bool kept_text);
  // `texts`, when given, marks the values that are texts even when blank (a
  // quoted empty field): they become '' instead of NULL.
  static Prepared prepare_values(const MetaTable& table, const Names& names, const Names& values,
                                 const Blanks* texts = nullptr);
  std::string build_insert_data_sql(Contracts::Database::IConnection& connection, const MetaTable& table,
                                    const Names& names, const Names& values, const Blanks* texts = nullptr) const;
  // Empty when no primary-key column is among the record's columns: an
  // update or delete without key would hit every row.
  std::string build_update_data_sql(Contracts::Database::IConnection& connection, const MetaTable& table,
                                    const Names& names, const Names& values, const Blanks* texts = nullptr) const;
  std::string build_delete_data_sql(Contracts::Database::IConnection& connection, const MetaTable& table,
                                    const Names& names, const Names& values, const Blanks* texts = nullptr) const;

  // --- Imports ---

  // Hands `result` to `done` from the caller's thread-default main context,
  // never inside the running call.
  static void complete_later(Contracts::Data::CountCompletion done, Core::Result<std::int64_t> result);

  void set_import_observer(ImportObserver observer) { m_observer = std::move(observer); }
  const ImportObserver& get_import_observer() const noexcept { return m_observer; }

  // The option's value, or `fallback` when the key is missing.
  std::string option(std::string_view key, std::string_view fallback = {}) const;
  // True exactly when the option's value is "true" (`fallback` when missing).
  bool option_is_true(std::string_view key, bool fallback) const;
  // The "FILENAME" option of loads and imports from a file; an error when
  // it is missing or empty.
  Core::Result<std::string> input_file() const;

 protected:
  // Format hooks; the base format writes nothing and exports no rows.
  virtual bool has_rows_format() const { return false; }
  // Whether a document without rows is still written (a header, a root element).
  virtual bool writes_empty_document() const { return false; }
  virtual Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink);
  virtual void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row);
  // For formats that can meet a value they cannot write: an error ends the
  // export. By default `append_row`, which cannot fail.
  virtual Core::Status try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                      const RowSource::Values& row);
  // What the progress callback receives of a row's text (by default all of it).
  virtual std::string_view progress_text(std::string_view row_text) const { return row_text; }
  virtual Core::Status write_tail(const std::vector<ExportColumn>& columns, OutputSink& sink);

 private:
  static std::string build_keyed_sql(Contracts::Database::IConnection& connection, const MetaTable& table,
                                     const Names& names, const Names& values, const Blanks* texts, bool update);

  Options m_options;
  std::string m_file_extention;
  bool m_continue_on_error = true;
  ImportObserver m_observer;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
