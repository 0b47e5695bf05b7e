#pragma once

#include "orvel/contracts/data/importer.hpp"
#include "orvel/supports/data/extractors/base_extractor.hpp"
#include "orvel/supports/data/extractors/dsv_reader.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// Delimiter-separated text (CSV, TSV and any variant), steered by options:
//
//   "DELIMITER_COLUMN" ","   "DELIMITER_ROWNEW" "\n"   "HAS_HEADER" true
//   "ROW_PREFIX" ""  "ROW_SUFFIX" ""  "NULL_VALUE" "" (written for a null)
//   "QUOTATION_LIST" "" (the default set "\"-\"-\"\"-\"\"")
//   "QUOTATION_TIME" "ifneed" ("always" quotes every field and header name)
//   "COLUMNS" (import: source field names; default the header's names)
//   "ACTION" (import: see RowImporter)  "FILENAME"  "ENCODING" "UTF-8"
//
// and, off unless set to "true":
//
//   "QUOTE_EMPTY"  an empty text is written as a quoted empty field, and on
//                  import a quoted empty field is an empty text while an
//                  unquoted one is NULL, so NULL and '' both survive a round
//                  trip (with NULL_VALUE "")
//   "FAST_IMPORT"  the whole import in one transaction on one worker thread
//
// "MAX_RECORD_BYTES" bounds one record on reading (default 256 MiB).
//
// Export quotes a field when it holds the column delimiter, a quote text or a
// line-break byte (or any byte of the row delimiter), and escapes its quotes,
// so whatever is written reads back to the same cells; plain values are
// written as they are. Header names are escaped the same way.
//
// Reading is DsvReader's state machine; the first record gives the columns
// (names from a header, else "C0", "C1", ...). Loading keeps every field as
// text; a record shorter than the header is dropped. Importing maps fields to
// columns through the "SOURCE" tags of the table's columns; blank lines are
// skipped, a record shorter than the header is reported as a failed record,
// and without header short records are padded with blanks (NULL).
//
// Imports report each record to the import observer (on the worker thread in
// the fast mode) and complete with the number of records imported.
class ORVEL_API DsvExtractor final : public BaseExtractor, public Contracts::Data::IImporter {
  TOLVANE_OBJECT(DsvExtractor)

  using TableModelPtr = Providers::Contracts::TableModelPtr;
  using ConnectionPtr = std::shared_ptr<Contracts::Database::IConnection>;
  using MetaTablePtr = std::shared_ptr<MetaModel::MetaTable>;

  explicit DsvExtractor(std::string file_extension) : BaseExtractor(std::move(file_extension)) {}
  static std::shared_ptr<DsvExtractor> create(std::optional<std::string_view> file_extension);

  void import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                        Contracts::Data::CountCompletion done) override;
  void import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                        ProgressCallback progress, Contracts::Data::CountCompletion done) override;
  Core::Result<TableModelPtr> load_from_file(int max_rows) override;
  Core::Result<TableModelPtr> load_from_text(const std::string& textbuffer) override;

  // The dialect the options describe, or the option's error.
  Core::Result<DsvDialect> dialect() const;
  // The "FILENAME" file as UTF-8 text ("ENCODING" other than "UTF-8" is
  // converted), for a DsvReader.
  Core::Result<Core::GRef<GInputStream>> open_input() const;

 protected:
  bool has_rows_format() const override { return true; }
  bool writes_empty_document() const override { return true; }
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row) override;
  // Fails when a cell could not be written so that it reads back as it was.
  Core::Status write_tail(const std::vector<ExportColumn>& columns, OutputSink& sink) override;

 private:
  // False when the text, put in quotes, would read back as other text: a
  // quotation set whose escapes are not the quotes doubled ("\]" for "]")
  // has no way to write a text that ends in the escape's first part.
  bool append_field(std::string& out, std::string_view text, bool quote_always) const;
  // Whether `inside` (a quoted field's escaped text) followed by the closing
  // quote and `next` reads back as `text`, closing where it should.
  bool reads_back(std::string_view inside, std::string_view text, std::string_view next) const;
  Core::Result<TableModelPtr> load(DsvReader& reader, int max_rows);
  // Reads `input` when it is set, else `text`.
  void start_import(Core::GRef<GInputStream> input, std::string text, ConnectionPtr connection, MetaTablePtr table,
                    Contracts::Data::CountCompletion done);

  // Of the export running (set by write_head):
  struct Writer {
    DsvDialect dialect;
    std::string prefix, suffix, null_value;
    bool quote_always = false;
    bool quote_empty = false;
    bool special[256] = {};  // bytes that may make a field need quotes
    bool doubled_escapes = true;  // the escapes are the quotes doubled: quoted text always reads back
    std::string scratch;     // the text of a cell that has none of its own
    std::int64_t rows = 0;   // rows written so far
    std::string unwritable;  // the first cell that would not read back, described
  } m_writer;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
