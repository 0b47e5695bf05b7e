#pragma once

#include "orvel/contracts/data/importer.hpp"
#include "orvel/supports/data/extractors/base_extractor.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

class XmlRecords;

// Table data as an XML document of records, written with libxml2's text
// writer (indent of four blanks) and read with its pull reader:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <RECORDS>
//       <RECORD>
//           <id>1</id>
//           <name>x</name>
//       </RECORD>
//   </RECORDS>
//
// Options:
//   "STORAGE"     "attribute": each cell is an attribute of an empty RECORD
//                 element; anything else: each cell is a child element
//   "NULL_VALUE"  the text of a null cell (default "")
//   "MARK_NULL"   "true": in child storage, a null cell is an empty element
//                 with xsi:nil="true" (the XML Schema instance namespace is
//                 declared on RECORDS), so NULL and an empty text both
//                 survive a round trip; off by default
//   "FILENAME", "ACTION", "FAST_IMPORT"  loads and imports
//
// Cells are written by their own value: doubles at full precision, bytes as
// upper-case hexadecimal. A column name that is not an XML name ("count(*)",
// "order id", "1st", "") is written through `encode_name`, which readers
// undo; valid names are written as they are. A text XML cannot carry (not
// UTF-8, or holding a control character other than tab and line breaks) ends
// the export with an error naming its row and column, and so does a failed
// write: no document is ever reported written that is not whole and
// well-formed.
//
// Reading walks the elements by depth: the RECORD elements directly inside
// the first RECORDS element, and in each the attributes (an empty RECORD) or
// the child elements with their text, whatever white space, comments or line
// layout lie between them. The parser runs without options: no external
// entity or DTD is fetched and no entity is substituted. A document without
// RECORDS loads as no model (null, without an error). A load's first record
// gives the columns (text columns); later records are placed by position.
// In a document that marks nulls, an element with xsi:nil="true" imports as
// NULL and every other as its text, even when empty; otherwise a blank value
// imports as NULL. Imports complete with the number of records handled,
// failed ones included, and do not call the progress callback.
class ORVEL_API XmlExtractor final : public BaseExtractor, public Contracts::Data::IImporter {
  TOLVANE_OBJECT(XmlExtractor)

  using TableModelPtr = Providers::Contracts::TableModelPtr;
  using ConnectionPtr = std::shared_ptr<Contracts::Database::IConnection>;
  using MetaTablePtr = std::shared_ptr<MetaModel::MetaTable>;

  explicit XmlExtractor(std::string file_extension);
  ~XmlExtractor() override;
  static std::shared_ptr<XmlExtractor> create(std::optional<std::string_view> file_extension);

  void import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                        Contracts::Data::CountCompletion done) override;
  void import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                        ProgressCallback progress, Contracts::Data::CountCompletion done) override;
  Core::Result<TableModelPtr> load_from_file(int max_rows) override;
  Core::Result<TableModelPtr> load_from_text(const std::string& textbuffer) override;

  // A column name as an XML name (without namespace prefix): valid names
  // unchanged; each character that cannot stand where it stands as
  // "_xHHHH_" (its code point in four, or beyond U+FFFF eight, upper-case hex
  // digits), a '_' that would read as the start of such an escape as
  // "_x005F_", the name "xmlns" as "_x0078_mlns" and the empty name as
  // "_x0000_". Fails for a name that is not UTF-8.
  static Core::Result<std::string> encode_name(std::string_view name);
  // The name `encode_name` was given; other names come back unchanged.
  static std::string decode_name(std::string_view name);

 protected:
  bool has_rows_format() const override { return true; }
  bool writes_empty_document() const override { return true; }
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  Core::Status try_append_row(std::string& out, const std::vector<ExportColumn>& columns,
                              const RowSource::Values& row) override;
  std::string_view progress_text(std::string_view) const override { return {}; }
  Core::Status write_tail(const std::vector<ExportColumn>& columns, OutputSink& sink) override;

 private:
  class Writer;

  Core::Result<TableModelPtr> load(XmlRecords& records, int max_rows);
  void start_import(Core::Result<std::unique_ptr<XmlRecords>> records, ConnectionPtr connection, MetaTablePtr table,
                    Contracts::Data::CountCompletion done);

  // Of the export running (set by write_head):
  std::unique_ptr<Writer> m_writer;
  std::vector<std::string> m_names;  // encoded column names
  std::string m_null_value;
  bool m_attributes = false;
  bool m_mark_null = false;
  std::int64_t m_rows = 0;
  std::string m_scratch;  // the text of a cell that has none of its own
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
