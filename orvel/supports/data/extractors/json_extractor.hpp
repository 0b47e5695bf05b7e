#pragma once

#include <json-glib/json-glib.h>

#include "orvel/contracts/data/importer.hpp"
#include "orvel/supports/data/extractors/base_extractor.hpp"
#include "tessin/core/json_properties.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// Table data as a JSON document of records: a root object whose member
// "RECORDS" is an array of one object per row, one member per column, laid out
// as json-glib's generator lays it out with an indent of four blanks:
//
//   {
//       "RECORDS" : [
//           {
//               "id" : 1,
//               "name" : "x"
//           }
//       ]
//   }
//
// Each cell is written by its own value, never by its column's kind (a
// column's kind is only its first row's): null is `null`; booleans true or
// false; integers as integers (unsigned ones above the signed range too);
// floating-point numbers in their shortest exact form, the infinities as
// 9e999 and -9e999 (which read back as infinities, as SQLite's JSON functions write them) and not-a-number as null;
// bytes as a string of upper-case hexadecimal; everything else as a string.
// A text that is not UTF-8 ends the export with an error naming its row and
// column: JSON cannot carry it.
//
// Reading (json-glib's parser): an integer becomes its decimal text, a number
// with a fraction its shortest exact text, a string its text; true, false,
// objects and arrays become the empty text, as does null. The first record
// gives the columns of a load (text columns named by its members); later
// records are placed by position, and members beyond the first record's are
// left out. An import maps each record's members to the table's columns by
// their "SOURCE" tags; a string member is a text even when empty, while null
// (and the other non-strings) import as NULL. Imports complete with the
// number of rows the statements changed and call the progress callback after
// each record with the number of records, that count and an empty text.
//
// Options: "FILENAME" (loads and imports from a file), "ACTION" and
// "FAST_IMPORT" (imports, see RecordImport).
class ORVEL_API JsonExtractor final : public BaseExtractor, public Contracts::Data::IImporter {
  TOLVANE_OBJECT(JsonExtractor)

  using TableModelPtr = Providers::Contracts::TableModelPtr;
  using ConnectionPtr = std::shared_ptr<Contracts::Database::IConnection>;
  using MetaTablePtr = std::shared_ptr<MetaModel::MetaTable>;

  explicit JsonExtractor(std::string file_extension) : BaseExtractor(std::move(file_extension)) {}
  static std::shared_ptr<JsonExtractor> create(std::optional<std::string_view> file_extension);

  void import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                        Contracts::Data::CountCompletion done) override;
  void import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                        ProgressCallback progress, Contracts::Data::CountCompletion done) override;
  Core::Result<TableModelPtr> load_from_file(int max_rows) override;
  Core::Result<TableModelPtr> load_from_text(const std::string& textbuffer) override;

  // Appends `text` as a JSON string, escaped as json-glib escapes; false, with
  // nothing appended, when the text is not UTF-8.
  static bool append_string(std::string& out, std::string_view text);
  // Appends the JSON value of one cell (see above); false when it is a text
  // that is not UTF-8.
  static bool append_value(std::string& out, const ValueObject* value, std::string& scratch);
  // The text a member's value loads as; `is_text` tells strings from the rest.
  static std::string decoded_text(JsonNode* node, bool* is_text = nullptr);

 protected:
  bool has_rows_format() const override { return true; }
  bool writes_empty_document() const override { return true; }
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  Core::Status try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                              const RowSource::Values& row) override;
  std::string_view progress_text(std::string_view) const override { return {}; }
  Core::Status write_tail(const std::vector<ExportColumn>& columns, OutputSink& sink) override;

 private:
  Core::Result<TableModelPtr> load(const Core::Result<Core::Json::NodeRef>& parsed, int max_rows);
  void start_import(Core::Result<Core::Json::NodeRef> parsed, std::uint64_t size, ConnectionPtr connection,
                    MetaTablePtr table, ProgressCallback progress, Contracts::Data::CountCompletion done);

  // Of the export running (set by write_head):
  std::vector<std::string> m_members;  // "            \"name\" : " per column
  std::int64_t m_rows = 0;
  std::string m_scratch;  // the text of a cell that has none of its own
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
